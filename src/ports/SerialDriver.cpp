#include "ports/SerialDriver.h"

#include "framework/MessageBox.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

int installerSeen = 0;

namespace {

constexpr wchar_t kSerialMapKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr wchar_t kVirtualPortDeviceKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1CBE&PID_0002";
constexpr wchar_t kInstallerWindowTitle[] = L"Brellum V2.1";
constexpr wchar_t kInstallerFinalDialogClass[] = L"#32770";
constexpr wchar_t kInstallerFinalDialogTitle[] = L"DPInst";

// Registry text buffers: 256 bytes as the system is told, plus room for a terminator of our own,
// because a value that fills the buffer exactly comes back without one.
constexpr DWORD kRegistryBufferBytes = 256;

// The driver writes its port into the registry a moment after its installer shows the final page.
constexpr DWORD kDriverSettleMs = 1000;

win32::UniqueKey OpenMachineKey(const std::wstring& path)
{
    win32::UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

}  // namespace

namespace serial {

std::wstring AnsiRegistryText(const char* buffer, DWORD capacity, DWORD returned)
{
    const DWORD limit = std::min(capacity, returned);
    const char* end = std::find(buffer, buffer + limit, '\0');
    return win32::FromAnsi(std::string(buffer, end));
}

std::wstring WideRegistryText(const wchar_t* buffer, DWORD capacityBytes, DWORD returnedBytes)
{
    const DWORD limit = std::min(capacityBytes, returnedBytes) / sizeof(wchar_t);
    const wchar_t* end = std::find(buffer, buffer + limit, L'\0');
    return std::wstring(buffer, end);
}

bool InstallerPaths(const std::wstring& archName, const std::wstring& currentDirectory,
                    std::wstring& program, std::wstring& workingDirectory)
{
    program.clear();
    workingDirectory.clear();
    if (currentDirectory.empty()) return false;
    // At a drive root the system reports "C:\"; everywhere else there is no trailing backslash.
    std::wstring base = currentDirectory;
    if (base.back() == L'\\') base.pop_back();
    if (archName == L"x64") {
        program = base + L"\\Windows x64\\DPInst64.exe";
        workingDirectory = base + L"\\Windows x64\\";
    } else {
        program = base + L"\\Windows NT x86\\DPInst32.exe";
        workingDirectory = base + L"\\Windows NT X86\\";
    }
    return true;
}

bool ReadCurrentDirectory(std::wstring& directory)
{
    directory.clear();
    // Another thread may change the directory between the size query and the read: ask again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
        if (needed == 0) return false;
        std::vector<wchar_t> buffer(needed + 1, L'\0');
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return false;
        if (length < buffer.size()) {
            directory.assign(buffer.data(), length);
            return !directory.empty();
        }
    }
    return false;
}

std::wstring LaunchablePath(const std::wstring& path)
{
    // A working directory needs room for a trailing backslash and the terminator.
    if (path.size() < MAX_PATH - 2) return path;
    const std::wstring extended = L"\\\\?\\" + path;
    const DWORD needed = ::GetShortPathNameW(extended.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD length = ::GetShortPathNameW(extended.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return path;
    std::wstring shortPath(buffer.data(), length);
    if (shortPath.compare(0, 4, L"\\\\?\\") == 0) shortPath.erase(0, 4);
    return shortPath.size() < path.size() ? shortPath : path;
}

WatchAction DecideWatch(int& seen, bool mainWindowFound, bool finalDialogFound)
{
    if (!mainWindowFound) {
        if (seen == 1) {
            seen = 0;
            return WatchAction::StopSilently;
        }
        return WatchAction::KeepPolling;
    }
    seen = 1;
    return finalDialogFound ? WatchAction::Report : WatchAction::KeepPolling;
}

std::wstring PortReportText(int languageId, int countBefore, const SerialPortSnapshot& after,
                            const VirtualPortNames& names, int nameCount)
{
    std::wstring text = languageId == 2052 ? L"生成的虚拟串口是：" : L"The created COM port is:";
    const int last = std::min(after.count, SerialPortSnapshot::kMaxPorts);
    const int instances = std::min(nameCount, SerialPortSnapshot::kMaxPorts);
    for (int k = std::max(countBefore, 0); k < last; ++k) {
        for (int j = 0; j < instances; ++j) {
            if (after.ports[k] == names[j]) {
                text += names[j];
                text += L';';
            }
        }
    }
    return text;
}

}  // namespace serial

bool ReadSerialPortMap(SerialPortSnapshot& snapshot)
{
    win32::UniqueKey key = OpenMachineKey(kSerialMapKey);
    if (!key) return false;
    int stored = 0;
    for (DWORD index = 0; stored < SerialPortSnapshot::kMaxPorts; ++index) {
        char name[kRegistryBufferBytes + 1] = {};
        char data[kRegistryBufferBytes + 1] = {};
        DWORD nameSize = kRegistryBufferBytes;
        DWORD dataSize = kRegistryBufferBytes;
        DWORD type = 0;
        const LSTATUS status = ::RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type,
                                               reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_SUCCESS) {
            snapshot.ports[stored++] = serial::AnsiRegistryText(data, kRegistryBufferBytes, dataSize);
        } else if (status == ERROR_MORE_DATA) {
            // The data is undefined when it did not fit; such a value still counts as a port.
            snapshot.ports[stored++].clear();
        } else {
            break;
        }
    }
    snapshot.count = stored;
    return true;
}

bool ReadVirtualPortNames(int& count, VirtualPortNames& names)
{
    std::vector<std::wstring> instances;
    {
        win32::UniqueKey device = OpenMachineKey(kVirtualPortDeviceKey);
        if (!device) return false;
        char name[kRegistryBufferBytes + 1] = {};
        for (DWORD index = 0; instances.size() < static_cast<size_t>(SerialPortSnapshot::kMaxPorts);
             ++index) {
            // Any answer but a name ends the walk; a key that cannot be read has no more to give.
            if (::RegEnumKeyA(device.get(), index, name, kRegistryBufferBytes) != ERROR_SUCCESS) break;
            instances.push_back(serial::AnsiRegistryText(name, kRegistryBufferBytes, kRegistryBufferBytes));
        }
    }
    if (instances.empty()) return false;

    for (size_t i = 0; i < instances.size(); ++i) {
        win32::UniqueKey parameters = OpenMachineKey(std::wstring(kVirtualPortDeviceKey) + L"\\" +
                                                     instances[i] + L"\\Device Parameters");
        if (!parameters) return false;
        wchar_t value[kRegistryBufferBytes / sizeof(wchar_t) + 1] = {};
        DWORD valueSize = kRegistryBufferBytes;
        DWORD type = 0;
        if (::RegQueryValueExW(parameters.get(), L"PortName", nullptr, &type,
                               reinterpret_cast<BYTE*>(value), &valueSize) == ERROR_SUCCESS) {
            names[i] = serial::WideRegistryText(value, kRegistryBufferBytes, valueSize);
            count = static_cast<int>(i) + 1;
        }
    }
    return true;
}

void StartSerialDriverInstall(HWND dialog, const std::wstring& archName, SerialPortSnapshot& before)
{
    if (ReadSerialPortMap(before)) ::SetTimer(dialog, serial::kWatchTimer, serial::kWatchPeriodMs, nullptr);

    std::wstring directory, program, workingDirectory;
    if (serial::ReadCurrentDirectory(directory) &&
        serial::InstallerPaths(archName, directory, program, workingDirectory)) {
        win32::Trace(L"Starting the serial port driver installer " + program);
        // A folder deep enough for its paths to pass MAX_PATH is started by their short forms.
        // The installer reports its own failures; a launch that fails leaves the watch polling
        // and timer 1 gives the form back.
        ::ShellExecuteW(dialog, L"open", serial::LaunchablePath(program).c_str(), nullptr,
                        serial::LaunchablePath(workingDirectory).c_str(), SW_SHOW);
    } else {
        // Without the directory there is no telling which program the path would name: an
        // installer from the root of the drive must never run with our rights.
        win32::Trace(L"The current directory cannot be read: the serial port driver installer is not started");
    }

    ::EnableWindow(::GetDlgItem(dialog, serial::kStartInstallButton), FALSE);
    ::SetTimer(dialog, serial::kControlsTimer, serial::kControlsPeriodMs, nullptr);
}

void WatchDriverInstaller(HWND dialog, int languageId, const SerialPortSnapshot& before,
                          SerialPortSnapshot& after)
{
    const HWND installer = ::FindWindowW(nullptr, kInstallerWindowTitle);
    const HWND finalDialog =
        installer ? ::FindWindowExW(installer, nullptr, kInstallerFinalDialogClass, kInstallerFinalDialogTitle)
                  : nullptr;
    switch (serial::DecideWatch(installerSeen, installer != nullptr, finalDialog != nullptr)) {
    case serial::WatchAction::KeepPolling:
        return;
    case serial::WatchAction::StopSilently:
        ::KillTimer(dialog, serial::kWatchTimer);
        win32::Trace(L"The serial port driver installer closed before its end");
        return;
    case serial::WatchAction::Report:
        break;
    }

    ::KillTimer(dialog, serial::kWatchTimer);
    ::Sleep(kDriverSettleMs);
    ReadSerialPortMap(after);
    if (after.count <= before.count) {
        win32::Trace(L"The serial port driver installer created no COM port");
        return;
    }

    int nameCount = 0;
    VirtualPortNames names;
    ReadVirtualPortNames(nameCount, names);
    const std::wstring text = serial::PortReportText(languageId, before.count, after, names, nameCount);
    win32::Trace(text);
    framework::ShowMessage(text, MB_OK);
}
