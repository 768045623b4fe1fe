#include "ports/SerialDriver.h"

int installerSeen = 0;

bool ReadSerialPortMap(SerialPortSnapshot&) { return false; }

void StartSerialDriverInstall(HWND, const std::wstring&, SerialPortSnapshot&) {}

void WatchDriverInstaller(HWND, int, const SerialPortSnapshot&, SerialPortSnapshot&) {}
