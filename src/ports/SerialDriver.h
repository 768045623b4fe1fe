// The USB virtual serial port driver: launching its package installer, following the installer's
// window, and reporting the COM port the driver created.
#pragma once

#include <windows.h>

#include <string>

struct SerialPortSnapshot {
    static constexpr int kMaxPorts = 256;
    int count = 0;
    std::wstring ports[kMaxPorts];
};

// Port names of the device instances of the USB device 1CBE/0002, one position per instance.
using VirtualPortNames = std::wstring[SerialPortSnapshot::kMaxPorts];

// 1 once the installer's main window has been seen, until a tick finds it gone.
extern int installerSeen;

// Reads HKLM\HARDWARE\DEVICEMAP\SERIALCOMM into snapshot; false (snapshot untouched) when the
// key does not open.
bool ReadSerialPortMap(SerialPortSnapshot& snapshot);

// Reads the PortName of every instance of USB\VID_1CBE&PID_0002. count becomes one more than the
// position of the last instance whose port name could be read; false when the device key does
// not open, has no instance, or an instance key does not open.
bool ReadVirtualPortNames(int& count, VirtualPortNames& names);

// dialog: the options dialog, owner of timers 1 and 2.
void StartSerialDriverInstall(HWND dialog, const std::wstring& archName, SerialPortSnapshot& before);

// One tick of timer 2.
void WatchDriverInstaller(HWND dialog, int languageId, const SerialPortSnapshot& before,
                          SerialPortSnapshot& after);

// The decisions behind the calls above, as plain functions.
namespace serial {

constexpr UINT_PTR kControlsTimer = 1;
constexpr UINT kControlsPeriodMs = 5000;
constexpr UINT_PTR kWatchTimer = 2;
constexpr UINT kWatchPeriodMs = 500;
constexpr int kStartInstallButton = 1019;

// The installer and its working directory beside currentDirectory, by archName ("x64" or any
// other value). False, with both left empty, when there is no directory to put them in.
bool InstallerPaths(const std::wstring& archName, const std::wstring& currentDirectory,
                    std::wstring& program, std::wstring& workingDirectory);

// The process's current directory, however long. False when the system cannot give it.
bool ReadCurrentDirectory(std::wstring& directory);

// path as a program can be started with or from: its short form when it is too long for the
// process functions (MAX_PATH), else (or when it has none) path itself.
std::wstring LaunchablePath(const std::wstring& path);

enum class WatchAction {
    KeepPolling,   // the installer has not appeared yet, or has not reached its end
    StopSilently,  // the installer went away before its end: stop the watch, report nothing
    Report,        // the installer reached its end: stop the watch and report the new ports
};

// One tick of the watch: what to do and the new value of installerSeen.
WatchAction DecideWatch(int& seen, bool mainWindowFound, bool finalDialogFound);

// The report text: the prefix for languageId, then "<port>;" for every pair of a port of after
// at or beyond position countBefore and an instance name equal to it.
std::wstring PortReportText(int languageId, int countBefore, const SerialPortSnapshot& after,
                            const VirtualPortNames& names, int nameCount);

// Text from a registry buffer of capacity bytes (ANSI) or units (UTF-16), of which the system said
// it wrote returned: never reads beyond either, and stops at the first zero.
std::wstring AnsiRegistryText(const char* buffer, DWORD capacity, DWORD returned);
std::wstring WideRegistryText(const wchar_t* buffer, DWORD capacityBytes, DWORD returnedBytes);

}  // namespace serial
