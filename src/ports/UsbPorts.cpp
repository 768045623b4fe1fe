#include "ports/UsbPorts.h"

#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

const GUID kUsbPrintInterfaceClass = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

unsigned char g_win8OrLater = 0;

namespace {

const char* const kListedVendors[] = {"vid_067b", "vid_0416", "vid_1cbe", "vid_0483", "vid_0471", "vid_1FC9"};

const wchar_t kDeviceClassesKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\";

// The walk never asks for index 255 or later.
constexpr DWORD kMemberIndexLimit = 255;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const char* a, const char* b, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

class Win32UsbPrinterSystem final : public UsbPrinterSystem {
public:
    bool OpenInterfaceSet(const GUID& interfaceClass) override
    {
        set_.reset(::SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
        interfaceClass_ = interfaceClass;
        return static_cast<bool>(set_);
    }

    bool EnumInterface(DWORD memberIndex, DWORD& flags) override
    {
        current_ = SP_DEVICE_INTERFACE_DATA{};
        current_.cbSize = sizeof current_;
        if (!::SetupDiEnumDeviceInterfaces(set_.get(), nullptr, &interfaceClass_, memberIndex, &current_))
            return false;
        flags = current_.Flags;
        return true;
    }

    DWORD DetailSize() override
    {
        DWORD required = 0;
        // Fails with ERROR_INSUFFICIENT_BUFFER by design; only the size matters.
        ::SetupDiGetDeviceInterfaceDetailW(set_.get(), &current_, nullptr, 0, &required, nullptr);
        return required;
    }

    bool ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size) override
    {
        DWORD written = 0;
        return ::SetupDiGetDeviceInterfaceDetailW(set_.get(), &current_, detail, size, &written, nullptr) != FALSE;
    }

    void CloseInterfaceSet() override { set_.reset(); }

    ValueRead ReadValue(const std::wstring& keyPath, const std::wstring& valueName, unsigned char* buffer,
                        DWORD size) override
    {
        win32::UniqueKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
            return ValueRead::KeyNotOpened;
        DWORD type = 0;
        DWORD dataSize = size;
        if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, buffer, &dataSize) != ERROR_SUCCESS)
            return ValueRead::ValueNotRead;
        return ValueRead::Read;
    }

private:
    win32::UniqueDevInfo set_;
    GUID interfaceClass_ = {};
    SP_DEVICE_INTERFACE_DATA current_ = {};
};

struct DetailBuffer {
    UsbPrinterSystem& system;
    void* block;
    ~DetailBuffer()
    {
        if (block) system.Free(block);
    }
};

enum class DevicePathRead { Read, PassOver, Failed };

DevicePathRead ReadDevicePath(UsbPrinterSystem& system, std::wstring& devicePath)
{
    const DWORD size = system.DetailSize();
    // A detail too small to hold even the size field and a terminator cannot be filled in.
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return DevicePathRead::PassOver;
    DetailBuffer buffer{system, system.Allocate(size)};
    if (!buffer.block) return DevicePathRead::PassOver;
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.block);
    // The size of the fixed part, which SetupAPI checks: 6 for 32-bit and 8 for 64-bit code.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!system.ReadDetail(detail, size)) return DevicePathRead::Failed;
    // The path ends at its terminator or at the end of the buffer, whichever comes first.
    const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    const size_t maxChars = (size - offset) / sizeof(wchar_t);
    size_t length = 0;
    while (length < maxChars && detail->DevicePath[length] != L'\0') ++length;
    devicePath.assign(detail->DevicePath, length);
    return DevicePathRead::Read;
}

void TracePortName(DWORD portNumber)
{
    const std::string name = UsbPortName(portNumber);
    win32::Trace(std::wstring(name.begin(), name.end()));
}

}  // namespace

void* UsbPrinterSystem::Allocate(size_t size) { return std::malloc(size); }

void UsbPrinterSystem::Free(void* block) { std::free(block); }

std::unique_ptr<UsbPrinterSystem> MakeWin32UsbPrinterSystem() { return std::make_unique<Win32UsbPrinterSystem>(); }

void MarkWin8OrLater(std::wstring& editionName)
{
    static const wchar_t* const kWin8OrLater[] = {L"Windows 8", L"Windows 8.1", L"Windows 10", L"Windows 10.1"};
    for (const wchar_t* name : kWin8OrLater) {
        if (editionName != name) continue;
        g_win8OrLater = 1;
        editionName = win32::Format(L"%ls,%d", editionName.c_str(), static_cast<int>(g_win8OrLater));
        win32::Trace(editionName);
        return;
    }
}

std::string UsbPortName(unsigned long portNumber)
{
    char name[32];
    std::snprintf(name, sizeof name, "USB%03lu", portNumber);
    return name;
}

bool IsListedUsbVendor(const std::wstring& devicePath, UINT codePage)
{
    // Twice the length plus two bytes holds any path in a double-byte code page; in others a
    // path that does not fit counts as not converted.
    std::vector<char> narrow(devicePath.size() * 2 + 2);
    const int converted = ::WideCharToMultiByte(codePage, 0, devicePath.c_str(), -1, narrow.data(),
                                                static_cast<int>(narrow.size()), nullptr, nullptr);
    // converted counts the terminator: the bytes at offsets 8 to 15 exist only from 17 on.
    if (converted < 17) return false;
    const char* vendor = narrow.data() + 8;
    for (const char* listed : kListedVendors)
        if (EqualIgnoringAsciiCase(vendor, listed, 8)) return true;
    return false;
}

std::wstring InterfaceKeyPath(const std::wstring& devicePath, const std::wstring& subkeyName)
{
    std::wstring transformed = devicePath;
    for (wchar_t& c : transformed)
        if (c == L'\\') c = L'#';
    return kDeviceClassesKey + transformed + L"\\#\\" + subkeyName;
}

DWORD PortNumberOf(const InterfaceValueBuffer& buffer)
{
    return static_cast<DWORD>(buffer[0]) | (static_cast<DWORD>(buffer[1]) << 8) |
           (static_cast<DWORD>(buffer[2]) << 16) | (static_cast<DWORD>(buffer[3]) << 24);
}

bool ReadInterfaceValue(UsbPrinterSystem& system, const std::wstring& devicePath, const std::wstring& subkeyName,
                        const std::wstring& valueName, InterfaceValueBuffer& buffer)
{
    switch (system.ReadValue(InterfaceKeyPath(devicePath, subkeyName), valueName, buffer, kInterfaceValueSize)) {
    case UsbPrinterSystem::ValueRead::KeyNotOpened:
        win32::Trace(L"打开键失败");
        return false;
    case UsbPrinterSystem::ValueRead::ValueNotRead:
        win32::Trace(L"读取键失败");
        return false;
    case UsbPrinterSystem::ValueRead::Read:
        break;
    }
    TracePortName(PortNumberOf(buffer));
    return true;
}

bool ReadInterfaceValue(const std::wstring& devicePath, const std::wstring& subkeyName, const std::wstring& valueName,
                        InterfaceValueBuffer& buffer)
{
    Win32UsbPrinterSystem system;
    return ReadInterfaceValue(system, devicePath, subkeyName, valueName, buffer);
}

UsbWalkEnd WalkUsbPrinters(UsbPrinterSystem& system, const GUID& interfaceClass, const QualifiedUsbPrinter& onPrinter)
{
    if (!system.OpenInterfaceSet(interfaceClass)) return UsbWalkEnd::Failed;
    struct SetCloser {
        UsbPrinterSystem& system;
        ~SetCloser() { system.CloseInterfaceSet(); }
    } closer{system};

    for (DWORD index = 0; index < kMemberIndexLimit; ++index) {
        DWORD flags = 0;
        if (!system.EnumInterface(index, flags)) return UsbWalkEnd::Completed;
        if (flags != SPINT_ACTIVE) continue;

        std::wstring devicePath;
        const DevicePathRead read = ReadDevicePath(system, devicePath);
        if (read == DevicePathRead::Failed) return UsbWalkEnd::Failed;
        if (read == DevicePathRead::PassOver) continue;

        if (!IsListedUsbVendor(devicePath)) continue;

        InterfaceValueBuffer value;
        std::memset(value, 0, sizeof value);
        if (g_win8OrLater == 0) {
            if (!ReadInterfaceValue(system, devicePath, L"Control", L"Linked", value)) {
                win32::Trace(L"read regkey failed");
                continue;
            }
            if (value[0] == 0) {
                win32::Trace(L"print is off-line");
                continue;
            }
        }
        if (!ReadInterfaceValue(system, devicePath, L"Device Parameters", L"Port Number", value)) {
            win32::Trace(L"read regkey failed");
            continue;
        }
        if (!onPrinter(devicePath, PortNumberOf(value))) return UsbWalkEnd::Stopped;
    }
    return UsbWalkEnd::Completed;
}

bool FindUsbPrinterPort(UsbPrinterSystem& system, std::string& portName)
{
    bool found = false;
    WalkUsbPrinters(system, kUsbPrintInterfaceClass, [&](const std::wstring&, DWORD portNumber) {
        portName = UsbPortName(portNumber);
        found = true;
        return false;
    });
    return found;
}

bool FindUsbPrinterPort(std::string& portName)
{
    Win32UsbPrinterSystem system;
    return FindUsbPrinterPort(system, portName);
}
