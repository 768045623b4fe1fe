// The USB virtual serial port driver: launching its package installer, following the installer's
// window, and reporting the COM port the driver created.
#pragma once

#include <windows.h>

#include <string>

struct SerialPortSnapshot {
    static constexpr int kMaxPorts = 256;
    int count = 0;
    std::wstring ports[kMaxPorts];
};

// 1 once the installer's main window has been seen, until a tick finds it gone.
extern int installerSeen;

// Reads HKLM\HARDWARE\DEVICEMAP\SERIALCOMM into snapshot; false (snapshot untouched) when the
// key does not open.
bool ReadSerialPortMap(SerialPortSnapshot& snapshot);

// dialog: the options dialog, owner of timers 1 and 2.
void StartSerialDriverInstall(HWND dialog, const std::wstring& archName, SerialPortSnapshot& before);

// One tick of timer 2.
void WatchDriverInstaller(HWND dialog, int languageId, const SerialPortSnapshot& before,
                          SerialPortSnapshot& after);
