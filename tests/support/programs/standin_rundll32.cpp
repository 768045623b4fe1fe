// Stands in for rundll32.exe with the printer user interface: logs how it was started and opens a
// properties window for the printer named after /n, with a tab control of three pages, logging
// every change of the selected tab. The environment (see PropertiesStandins.h) chooses the title.
#include "support/lib/PropertiesStandins.h"
#include "support/lib/SerialStandins.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

constexpr UINT_PTR kLifetimeTimer = 1;
int g_openWindows = 0;

std::wstring PrinterNameFrom(const std::wstring& commandLine)
{
    const size_t start = commandLine.find(L"/n \"");
    if (start == std::wstring::npos) return {};
    const size_t first = start + 4;
    const size_t end = commandLine.find(L'"', first);
    return commandLine.substr(first, end == std::wstring::npos ? std::wstring::npos : end - first);
}

std::wstring TextOf(HWND window)
{
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 511);
    return buffer;
}

LRESULT CALLBACK PropertiesProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TCN_SELCHANGE) {
            const LRESULT selected = ::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0);
            AppendStandinLog(L"selected:" + TextOf(window), std::to_wstring(selected));
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kLifetimeTimer) ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (--g_openWindows == 0) ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void OpenPropertiesWindow(HINSTANCE instance, const std::wstring& title, int offset)
{
    // Like a property sheet, the window gets its title only once its tab control holds the pages.
    const HWND window = ::CreateWindowExW(0, L"VeltoStandinProperties", L"", WS_OVERLAPPEDWINDOW, 120 + offset,
                                          80 + offset, 420, 360, nullptr, nullptr, instance, nullptr);
    if (!window) return;
    ++g_openWindows;
    const HWND tabs = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 8, 8,
                                        390, 300, window, reinterpret_cast<HMENU>(100), instance, nullptr);
    const wchar_t* pages[] = {L"General", L"Sharing", L"Ports"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(pages[i]);
        ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
    ::SetWindowTextW(window, title.c_str());
    ::ShowWindow(window, SW_SHOW);
    const std::wstring lifetime = EnvironmentValue(kStandinLifetimeVariable);
    ::SetTimer(window, kLifetimeTimer, lifetime.empty() ? 30000 : std::wcstoul(lifetime.c_str(), nullptr, 10),
               nullptr);
    AppendStandinLog(L"window", title);
    AppendStandinLog(L"shown", std::to_wstring(::GetTickCount64()));
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    AppendStandinLog(L"started", std::to_wstring(::GetTickCount64()));
    AppendStandinLog(L"command", ::GetCommandLineW());
    AppendStandinLog(L"module", ModulePath());
    AppendStandinLog(L"uilanguage", std::to_wstring(::GetUserDefaultUILanguage()) + L"/" + std::to_wstring(::GetACP()));
    AppendStandinLog(L"lang", EnvironmentValue(L"LANG") + L"/" + EnvironmentValue(L"LC_ALL"));

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PropertiesProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"VeltoStandinProperties";
    ::RegisterClassW(&windowClass);

    const std::wstring name = PrinterNameFrom(::GetCommandLineW());
    const std::wstring which = EnvironmentValue(kPropertiesTitlesVariable);
    if (which.empty() || which == L"en" || which == L"both") OpenPropertiesWindow(instance, name + L" Properties", 0);
    if (which == L"zh" || which == L"both") OpenPropertiesWindow(instance, name + L" 属性", 40);
    if (g_openWindows == 0) return 1;

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
