// Opening a printer's properties window on its port page.
#pragma once

#include <windows.h>

#include <string>

// mainWindow: owner of timers 2 (100 ms, SelectPortsTab) and 3 (5000 ms, end of the program).
void OpenPrinterProperties(HWND mainWindow, const std::wstring& portPrinterName);

// One tick of timer 2.
void SelectPortsTab(HWND mainWindow, int uiLanguageId, const std::wstring& portPrinterName);

// The decisions behind the calls above, as plain functions.
namespace properties {

constexpr UINT_PTR kSelectTabTimer = 2;
constexpr UINT kSelectTabPeriodMs = 100;
constexpr UINT_PTR kEndTimer = 3;
constexpr UINT kEndPeriodMs = 5000;
constexpr int kPortsTabIndex = 2;

// The parameters for rundll32.exe that open the properties of printerName (placed between the
// quotes as it is).
std::wstring PrintUiParameters(const std::wstring& printerName);

// The title of the printer's properties window under the user-interface language; false when the
// language is one whose title is not known.
bool PropertiesWindowTitle(int uiLanguageId, const std::wstring& printerName, std::wstring& title);

// rundll32.exe in the system directory; false when the system directory cannot be read.
bool Rundll32Path(std::wstring& path);

}  // namespace properties
