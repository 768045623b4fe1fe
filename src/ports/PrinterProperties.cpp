#include "ports/PrinterProperties.h"

#include "win32/Trace.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace {

// The options dialog has only just closed; give the spooler a moment before its user interface
// asks for the new printer.
constexpr DWORD kBeforeLaunchMs = 100;

}  // namespace

namespace properties {

std::wstring PrintUiParameters(const std::wstring& printerName)
{
    return L"printui.dll,PrintUIEntry /p /n \"" + printerName + L"\"";
}

bool PropertiesWindowTitle(int uiLanguageId, const std::wstring& printerName, std::wstring& title)
{
    title.clear();
    if (uiLanguageId == 2052) {
        title = printerName + L" 属性";
        return true;
    }
    if (uiLanguageId == 1033) {
        title = printerName + L" Properties";
        return true;
    }
    return false;
}

bool Rundll32Path(std::wstring& path)
{
    path.clear();
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            break;
        }
        buffer.assign(length + 1, L'\0');
    }
    if (path.back() != L'\\') path += L'\\';
    path += L"rundll32.exe";
    return true;
}

}  // namespace properties

void OpenPrinterProperties(HWND mainWindow, const std::wstring& portPrinterName)
{
    ::Sleep(kBeforeLaunchMs);
    // By its full path: the search path of an elevated process starts with the current
    // directory, where anyone who could put files beside the packages could plant a rundll32.exe.
    std::wstring rundll32;
    if (properties::Rundll32Path(rundll32)) {
        const std::wstring parameters = properties::PrintUiParameters(portPrinterName);
        win32::Trace(L"Opening the printer's properties: " + rundll32 + L" " + parameters);
        // The printer user interface shows its own messages; the end timer runs in any case.
        ::ShellExecuteW(mainWindow, L"open", rundll32.c_str(), parameters.c_str(), nullptr, SW_SHOW);
    } else {
        win32::Trace(L"The system directory cannot be read: the printer's properties are not opened");
    }
    ::SetTimer(mainWindow, properties::kSelectTabTimer, properties::kSelectTabPeriodMs, nullptr);
    ::SetTimer(mainWindow, properties::kEndTimer, properties::kEndPeriodMs, nullptr);
}

void SelectPortsTab(HWND mainWindow, int uiLanguageId, const std::wstring& portPrinterName)
{
    std::wstring title;
    if (!properties::PropertiesWindowTitle(uiLanguageId, portPrinterName, title)) {
        ::KillTimer(mainWindow, properties::kSelectTabTimer);
        return;
    }
    const HWND propertiesWindow = ::FindWindowW(nullptr, title.c_str());
    if (!propertiesWindow) return;  // not up yet: the next tick looks again
    const HWND tabs = ::FindWindowExW(propertiesWindow, nullptr, WC_TABCONTROLW, nullptr);
    // Without button style, moving the focus also selects the tab and tells the property sheet,
    // which then shows that page.
    if (tabs) ::SendMessageW(tabs, TCM_SETCURFOCUS, properties::kPortsTabIndex, 0);
    ::KillTimer(mainWindow, properties::kSelectTabTimer);
}
