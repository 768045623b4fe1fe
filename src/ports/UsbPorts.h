// USB printer port discovery: the present USB printer interfaces of listed vendors and the port
// number each keeps in its registry key.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <functional>
#include <memory>
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

// True when the eight characters after "\\?\usb#" name a listed vendor (vid_067b, vid_0416,
// vid_1cbe, vid_0483, vid_0471, vid_1FC9; ASCII case ignored). The path is narrowed through
// codePage first, as the thread's ANSI strings are; a path that does not convert, or whose
// narrow form is shorter than 16 bytes, is not listed.
bool IsListedUsbVendor(const std::wstring& devicePath, UINT codePage = CP_THREAD_ACP);

// The interface's registry value buffer: zero-filled per interface, read with this size.
constexpr DWORD kInterfaceValueSize = 261;
using InterfaceValueBuffer = unsigned char[kInterfaceValueSize];

// HKLM-relative key of one interface subkey ("Control" or "Device Parameters"):
// DeviceClasses\{usb print class}\<path with every \ as #>\#\<subkeyName>.
std::wstring InterfaceKeyPath(const std::wstring& devicePath, const std::wstring& subkeyName);

// The port number kept in the first four bytes of a value buffer (little-endian).
DWORD PortNumberOf(const InterfaceValueBuffer& buffer);

// What the USB printer walk needs of Windows: the device-interface set (SetupAPI) and the
// interface keys (registry). The program uses the Win32 one; tests give a list of interfaces and
// a table of values.
class UsbPrinterSystem {
public:
    enum class ValueRead { Read, KeyNotOpened, ValueNotRead };

    virtual ~UsbPrinterSystem() = default;

    // SetupDiGetClassDevsW(class, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE); false when no set.
    virtual bool OpenInterfaceSet(const GUID& interfaceClass) = 0;
    // SetupDiEnumDeviceInterfaces at index; the interface becomes the current one.
    virtual bool EnumInterface(DWORD memberIndex, DWORD& flags) = 0;
    // The detail size the current interface asks for (0 when it gives none).
    virtual DWORD DetailSize() = 0;
    // The detail of the current interface into detail (size bytes, cbSize already set).
    virtual bool ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size) = 0;
    virtual void CloseInterfaceSet() = 0;
    // Opens HKLM\keyPath for reading and queries valueName into buffer (size bytes).
    virtual ValueRead ReadValue(const std::wstring& keyPath, const std::wstring& valueName,
                                unsigned char* buffer, DWORD size) = 0;

    // The detail buffer; null when the memory is not there.
    virtual void* Allocate(size_t size);
    virtual void Free(void* block);
};

// SetupAPI and the registry of this machine.
std::unique_ptr<UsbPrinterSystem> MakeWin32UsbPrinterSystem();

// Reads subkeyName\valueName of the interface into buffer. Traces "打开键失败" when the key does
// not open, "读取键失败" when the value is missing or larger than the buffer, and the port name the
// buffer's first four bytes give when it was read.
bool ReadInterfaceValue(UsbPrinterSystem& system, const std::wstring& devicePath,
                        const std::wstring& subkeyName, const std::wstring& valueName,
                        InterfaceValueBuffer& buffer);
bool ReadInterfaceValue(const std::wstring& devicePath, const std::wstring& subkeyName,
                        const std::wstring& valueName, InterfaceValueBuffer& buffer);

// The walk over the present USB printer interfaces (member indices 0 to 254). onPrinter is called
// for each qualifying interface in walk order and returns false to stop there.
enum class UsbWalkEnd {
    Failed,     // no interface set, or a second detail request failed
    Completed,  // no more interfaces (or index 254 done)
    Stopped,    // onPrinter asked to stop
};
using QualifiedUsbPrinter = std::function<bool(const std::wstring& devicePath, DWORD portNumber)>;
UsbWalkEnd WalkUsbPrinters(UsbPrinterSystem& system, const GUID& interfaceClass,
                           const QualifiedUsbPrinter& onPrinter);

bool FindUsbPrinterPort(UsbPrinterSystem& system, std::string& portName);
