#include "ports/UsbPorts.h"

#include <cstdio>

const GUID kUsbPrintInterfaceClass = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

unsigned char g_win8OrLater = 0;

void MarkWin8OrLater(std::wstring&) {}

std::string UsbPortName(unsigned long portNumber)
{
    char name[32];
    std::snprintf(name, sizeof name, "USB%03lu", portNumber);
    return name;
}

bool FindUsbPrinterPort(std::string&) { return false; }
