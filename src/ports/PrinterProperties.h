// Opening a printer's properties window on its port page.
#pragma once

#include <windows.h>

#include <string>

// mainWindow: owner of timers 2 (100 ms, SelectPortsTab) and 3 (5000 ms, end of the program).
void OpenPrinterProperties(HWND mainWindow, const std::wstring& portPrinterName);

// One tick of timer 2.
void SelectPortsTab(HWND mainWindow, int uiLanguageId, const std::wstring& portPrinterName);
