// USB printer port discovery: the present USB printer interfaces of listed vendors and the port
// number each keeps in its registry key.
#pragma once

#include <windows.h>

#include <string>

// {28d78fad-5a12-11d1-ae5b-0000f803a8c2}, the USB printer device-interface class.
extern const GUID kUsbPrintInterfaceClass;

// Set once the edition is known to be Windows 8 or later; never cleared. Read by the walk, which
// then skips the link test.
extern unsigned char g_win8OrLater;

// On "Windows 8", "Windows 8.1", "Windows 10" or "Windows 10.1" (whole string, with case) sets
// g_win8OrLater and rewrites editionName as "%s,%d"; otherwise changes nothing.
void MarkWin8OrLater(std::wstring& editionName);

// "USB%03d": 1 -> USB001, 1000 -> USB1000.
std::string UsbPortName(unsigned long portNumber);

// The port name of the first qualifying USB printer; false (portName untouched) when none.
bool FindUsbPrinterPort(std::string& portName);
