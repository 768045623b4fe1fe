#include "support/lib/SerialStandins.h"

#include "support/lib/WineHost.h"
#include "win32/Handles.h"

#include <algorithm>
#include <vector>

namespace testing_support {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                              nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return std::wstring(buffer.data(), n);
}

std::vector<std::wstring> SplitList(const std::wstring& list)
{
    std::vector<std::wstring> items;
    if (list == L"none") return items;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(L',', start);
        items.push_back(list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return items;
}

void SetStandinLog(const std::wstring& logPath)
{
    ::SetEnvironmentVariableW(kStandinLogVariable, logPath.c_str());
}

void SetInstallerBehaviour(const InstallerBehaviour& behaviour)
{
    ::SetEnvironmentVariableW(kInstallerNewPortsVariable, behaviour.newPorts.c_str());
    ::SetEnvironmentVariableW(kInstallerInstancesVariable, behaviour.instancePorts.c_str());
    ::SetEnvironmentVariableW(kInstallerCloseEarlyVariable, behaviour.closeEarly ? L"1" : nullptr);
}

void AppendStandinLog(const std::wstring& key, const std::wstring& value)
{
    const std::wstring path = EnvironmentValue(kStandinLogVariable);
    if (path.empty()) return;
    // Two stand-ins may write at once: append only, and retry while the other holds the file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        win32::UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            const std::string line = ToUtf8(key + L"=" + value) + "\n";
            DWORD written = 0;
            ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
        ::Sleep(10);
    }
}

std::map<std::wstring, std::vector<std::wstring>> ReadStandinLog(const std::wstring& logPath)
{
    std::map<std::wstring, std::vector<std::wstring>> entries;
    std::string bytes;
    if (!ReadFileBytes(logPath, bytes)) return entries;
    const std::wstring text = FromUtf8(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        const size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) entries[line.substr(0, equals)].push_back(line.substr(equals + 1));
        start = end + 1;
    }
    return entries;
}

std::wstring LogValue(const std::wstring& logPath, const std::wstring& key)
{
    const auto entries = ReadStandinLog(logPath);
    const auto found = entries.find(key);
    return found == entries.end() || found->second.empty() ? std::wstring() : found->second.front();
}

bool PlaceInstaller(const std::wstring& workDir, bool x64)
{
    const std::wstring folder = workDir + (x64 ? L"\\Windows x64" : L"\\Windows NT x86");
    ::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    const std::wstring target = folder + (x64 ? L"\\DPInst64.exe" : L"\\DPInst32.exe");
    return ::CopyFileW(StandinPath(L"standin_dpinst").c_str(), (L"\\\\?\\" + target).c_str(), FALSE) != 0;
}

bool AddSerialMapValue(const std::wstring& valueName, DWORD type, const void* data, DWORD size)
{
    win32::UniqueKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialMapKey, 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool AddSerialPort(const std::wstring& valueName, const std::wstring& port)
{
    return AddSerialMapValue(valueName, REG_SZ, port.c_str(),
                             static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
}

bool AddVirtualPortInstance(const std::wstring& instance, const std::wstring* portName)
{
    const std::wstring path = std::wstring(kInstallerInstanceRoot) + L"\\" + instance + L"\\Device Parameters";
    win32::UniqueKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    if (!portName) return true;
    return ::RegSetValueExW(key.get(), L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(portName->c_str()),
                            static_cast<DWORD>((portName->size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

int SerialMapValueCount()
{
    win32::UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialMapKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(values);
}

void CloseWindowsTitled(const std::wstring& title)
{
    for (int i = 0; i < 16; ++i) {
        const HWND window = ::FindWindowW(nullptr, title.c_str());
        if (!window) return;
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        ::Sleep(50);
    }
}

namespace {
constexpr wchar_t kTimerWindowClass[] = L"VeltoTestTimerWindow";
}

TimerWindow::TimerWindow(TickHandler onTick) : onTick_(std::move(onTick))
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &TimerWindow::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTimerWindowClass;
    ::RegisterClassW(&windowClass);
    window_ = ::CreateWindowExW(0, kTimerWindowClass, L"Velto test window", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, windowClass.hInstance, this);
    const int buttons[] = {1019, 1020, 1027};
    for (int id : buttons) {
        ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 50, 20, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), windowClass.hInstance, nullptr);
    }
}

TimerWindow::~TimerWindow()
{
    if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK TimerWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TimerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && self) {
        self->ticks_[wParam].push_back(::GetTickCount64());
        if (self->onTick_) self->onTick_(window, wParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool TimerWindow::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                    QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void TimerWindow::PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

}  // namespace testing_support
