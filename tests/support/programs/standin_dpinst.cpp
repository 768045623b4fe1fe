// Stands in for the driver package installer of the virtual serial port driver: shows its main
// window "Brellum V2.1", registers the driver's COM port(s) and device instance(s) the way the
// driver would, and then shows its final dialog "DPInst" inside the main window. The environment
// (see SerialStandins.h) chooses which ports and instances appear, and whether the window goes
// away before its end.
#include "support/lib/SerialStandins.h"

#include "win32/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

constexpr UINT_PTR kFinalTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;

DWORD NumberFromEnvironment(const wchar_t* name, DWORD fallback)
{
    const std::wstring value = EnvironmentValue(name);
    return value.empty() ? fallback : static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
}

std::wstring CurrentDirectory()
{
    std::vector<wchar_t> buffer(::GetCurrentDirectoryW(0, nullptr) + 1, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return std::wstring(buffer.data(), n < buffer.size() ? n : 0);
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

void RegisterDriverPorts()
{
    const std::wstring newPorts = EnvironmentValue(kInstallerNewPortsVariable);
    const std::wstring instancePorts = EnvironmentValue(kInstallerInstancesVariable);
    const std::vector<std::wstring> ports = SplitList(newPorts.empty() ? L"COM7" : newPorts);
    const std::vector<std::wstring> instances = SplitList(instancePorts.empty() ? L"COM7" : instancePorts);
    // Named to come after the prefix's own \Device\Serial0: Wine enumerates values by name.
    for (size_t i = 0; i < ports.size(); ++i) AddSerialPort(L"\\Device\\VCP" + std::to_wstring(i), ports[i]);
    for (size_t i = 0; i < instances.size(); ++i) {
        const std::wstring instance = L"6&2f1c3a&0&" + std::to_wstring(i + 1);
        AddVirtualPortInstance(instance, instances[i] == L"-" ? nullptr : &instances[i]);
    }
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kFinalTimer) {
            ::KillTimer(window, kFinalTimer);
            if (EnvironmentValue(kInstallerCloseEarlyVariable) == L"1") {
                AppendStandinLog(L"closed", L"early");
                ::DestroyWindow(window);
                return 0;
            }
            RegisterDriverPorts();
            // The installer's last page: a dialog-class child titled "DPInst".
            ::CreateWindowExW(0, L"#32770", L"DPInst", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, window, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
            AppendStandinLog(L"final", std::to_wstring(::GetTickCount64()));
        } else if (wParam == kLifetimeTimer) {
            ::DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    AppendStandinLog(L"started", std::to_wstring(::GetTickCount64()));
    AppendStandinLog(L"command", ::GetCommandLineW());
    AppendStandinLog(L"directory", CurrentDirectory());
    AppendStandinLog(L"module", ModulePath());

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VeltoStandinInstaller";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, kInstallerWindowTitle,
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                          instance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, kFinalTimer, NumberFromEnvironment(kInstallerFinalDelayVariable, 1500), nullptr);
    ::SetTimer(window, kLifetimeTimer, NumberFromEnvironment(kStandinLifetimeVariable, 30000), nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    AppendStandinLog(L"ended", std::to_wstring(::GetTickCount64()));
    return 0;
}
