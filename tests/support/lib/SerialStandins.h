// What the tests of the serial driver install share with the stand-in driver package installer
// (standin_dpinst) and the stand-in rundll32: the environment that steers them, the log they keep,
// and a small window that owns timers the way the program's dialogs do.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A file the stand-in appends "key=value" lines to (UTF-8): command, directory, module, started
// (GetTickCount64), and what happened later (final, closed, selected:<title>).
constexpr wchar_t kStandinLogVariable[] = L"VELTO_STANDIN_LOG";
// How long a stand-in stays before it ends by itself, in ms (default 30000).
constexpr wchar_t kStandinLifetimeVariable[] = L"VELTO_STANDIN_LIFETIME_MS";

// The stand-in installer: ports it adds to SERIALCOMM, and the PortName of each device instance of
// USB\VID_1CBE&PID_0002 it creates ("-" for an instance without one), comma-separated; "none" for
// none. Defaults: COM7 and COM7.
constexpr wchar_t kInstallerNewPortsVariable[] = L"VELTO_DPINST_NEW_PORTS";
constexpr wchar_t kInstallerInstancesVariable[] = L"VELTO_DPINST_INSTANCE_PORTS";
// "1": the installer's window goes away before its final dialog is shown.
constexpr wchar_t kInstallerCloseEarlyVariable[] = L"VELTO_DPINST_CLOSE_EARLY";
// Time from the installer's start to its final dialog, in ms (default 1500).
constexpr wchar_t kInstallerFinalDelayVariable[] = L"VELTO_DPINST_FINAL_MS";

constexpr wchar_t kInstallerWindowTitle[] = L"Brellum V2.1";
constexpr wchar_t kInstallerInstanceRoot[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1CBE&PID_0002";
constexpr wchar_t kSerialMapKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct InstallerBehaviour {
    std::wstring newPorts = L"COM7";
    std::wstring instancePorts = L"COM7";
    bool closeEarly = false;
};

// Sets the environment that this process's children (and theirs) inherit.
void SetInstallerBehaviour(const InstallerBehaviour& behaviour);
void SetStandinLog(const std::wstring& logPath);

// Copies the stand-in installer into workDir as "Windows x64\DPInst64.exe" (x64) or
// "Windows NT x86\DPInst32.exe", making the folder. False when it could not.
bool PlaceInstaller(const std::wstring& workDir, bool x64);

// The log's lines as key -> values, in the order written.
std::map<std::wstring, std::vector<std::wstring>> ReadStandinLog(const std::wstring& logPath);
// The first value of key, or empty.
std::wstring LogValue(const std::wstring& logPath, const std::wstring& key);

// Registry helpers for the serial-port map and the device instances.
bool AddSerialPort(const std::wstring& valueName, const std::wstring& port);
bool AddSerialMapValue(const std::wstring& valueName, DWORD type, const void* data, DWORD size);
bool AddVirtualPortInstance(const std::wstring& instance, const std::wstring* portName);
int SerialMapValueCount();  // -1 when the key does not open

// Ends every top-level window with this title by WM_CLOSE.
void CloseWindowsTitled(const std::wstring& title);

// A top-level window standing in for a dialog: it holds buttons 1019, 1020 and 1027 and hands
// WM_TIMER ticks to a handler; the test pumps its messages.
class TimerWindow {
public:
    using TickHandler = std::function<void(HWND window, UINT_PTR id)>;
    explicit TimerWindow(TickHandler onTick);
    ~TimerWindow();
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    HWND get() const { return window_; }
    // Ticks seen per timer id, and the GetTickCount64 of each.
    const std::vector<ULONGLONG>& Ticks(UINT_PTR id) { return ticks_[id]; }
    // Pumps messages until done() holds or timeoutMs has passed; the result of done().
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
    void PumpFor(DWORD ms);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    TickHandler onTick_;
    std::map<UINT_PTR, std::vector<ULONGLONG>> ticks_;
};

// For the stand-ins: appends "key=value" to the log named by the environment (if any), and reads
// an environment value (empty when unset).
void AppendStandinLog(const std::wstring& key, const std::wstring& value);
std::wstring EnvironmentValue(const wchar_t* name);
std::vector<std::wstring> SplitList(const std::wstring& list);  // "a,b" -> {a, b}; "none" -> {}

// UTF-8 <-> UTF-16 for the logs.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace testing_support
