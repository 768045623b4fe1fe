#include "support/lib/UsbSimulation.h"

#include "support/lib/WineHost.h"
#include "win32/Handles.h"
#include "win32/Trace.h"

#include <cstddef>
#include <cstring>
#include <mutex>

namespace testing_support {

namespace {

const wchar_t kClass[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const wchar_t kDeviceClasses[] = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\";
const wchar_t kEnumUsb[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\";
const wchar_t kPrinterClass[] = L"{4d36e979-e325-11ce-bfc1-08002be10318}";

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

std::wstring LinkName(const SimulatedUsbPrinter& printer)
{
    return L"USB#" + printer.hardwareId + L"#" + printer.instance + L"#" + kClass;
}

bool SetValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    win32::UniqueKey handle;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(handle.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    return SetValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool SetDword(const std::wstring& key, const std::wstring& name, DWORD value)
{
    return SetValue(key, name, REG_DWORD, &value, sizeof value);
}

}  // namespace

SimulatedUsbPrinter UsbPrinterAt(const std::wstring& hardwareId, const std::wstring& instance, DWORD port)
{
    SimulatedUsbPrinter printer;
    printer.hardwareId = hardwareId;
    printer.instance = instance;
    printer.portNumber = port;
    return printer;
}

std::string PortugueseNoteBytes(const char* portName)
{
    return std::string("\r\n A porta USB atual da impressora \xe9 ") + portName + " \r\n" +
           std::string(20, '\n') + "\x1d\x56\x01";
}

std::wstring UsbInterfaceKey(const SimulatedUsbPrinter& printer)
{
    return std::wstring(kDeviceClasses) + kClass + L"\\##?#" + LinkName(printer);
}

std::wstring UsbDevicePath(const SimulatedUsbPrinter& printer) { return L"\\\\?\\" + Lower(LinkName(printer)); }

bool AttachUsbPrinter(const SimulatedUsbPrinter& printer)
{
    const std::wstring key = UsbInterfaceKey(printer);
    const std::wstring instanceId = L"USB\\" + printer.hardwareId + L"\\" + printer.instance;
    bool ok = SetString(key, L"DeviceInstance", instanceId);
    ok = ok && SetString(key + L"\\#", L"SymbolicLink", L"\\\\?\\" + LinkName(printer));
    if (printer.linked) ok = ok && SetDword(key + L"\\#\\Control", L"Linked", *printer.linked);
    if (printer.portNumber)
        ok = ok && SetDword(key + L"\\#\\Device Parameters", L"Port Number", *printer.portNumber);
    ok = ok && SetString(kEnumUsb + printer.hardwareId + L"\\" + printer.instance, L"ClassGUID", kPrinterClass);
    return ok;
}

void DetachUsbPrinter(const SimulatedUsbPrinter& printer)
{
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, UsbInterfaceKey(printer).c_str());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kEnumUsb + printer.hardwareId + L"\\" + printer.instance).c_str());
}

bool SetUsbLinked(const SimulatedUsbPrinter& printer, std::optional<DWORD> linked)
{
    const std::wstring control = UsbInterfaceKey(printer) + L"\\#\\Control";
    if (!linked) {
        const LSTATUS status = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, control.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return SetDword(control, L"Linked", *linked);
}

bool SetUsbInterfaceValue(const SimulatedUsbPrinter& printer, const std::wstring& subkey,
                          const std::wstring& valueName, const std::string& bytes)
{
    return SetValue(UsbInterfaceKey(printer) + L"\\#\\" + subkey, valueName, REG_BINARY, bytes.data(),
                    static_cast<DWORD>(bytes.size()));
}

std::wstring UsbDeviceFile(const SimulatedUsbPrinter& printer)
{
    return PrefixDir() + L"\\dosdevices\\" + Lower(LinkName(printer));
}

bool ConnectUsbDevice(const SimulatedUsbPrinter& printer) { return WriteFileBytes(UsbDeviceFile(printer), {}); }

void DisconnectUsbDevice(const SimulatedUsbPrinter& printer) { ::DeleteFileW(UsbDeviceFile(printer).c_str()); }

std::string ReadUsbDevice(const SimulatedUsbPrinter& printer)
{
    std::string bytes;
    ReadFileBytes(UsbDeviceFile(printer), bytes);
    return bytes;
}

unsigned long long UsbDeviceSize(const SimulatedUsbPrinter& printer)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(UsbDeviceFile(printer).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WaitForUsbDeviceSize(const SimulatedUsbPrinter& printer, unsigned long long size, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 20) {
        if (UsbDeviceSize(printer) >= size) return true;
        if (waited >= timeoutMs) return false;
        ::Sleep(20);
    }
}

bool MapPrinterPortToFile(const std::wstring& port, const std::string& unixPath)
{
    win32::UniqueKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Printing\\Spooler", 0, nullptr, 0, KEY_WRITE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring value(unixPath.begin(), unixPath.end());
    return ::RegSetValueExW(key.get(), port.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RenderPostScriptToPng(const std::string& psUnixPath, const std::string& pngUnixPath)
{
    if (::GetFileAttributesW(L"Z:\\usr\\bin\\gs") == INVALID_FILE_ATTRIBUTES) return false;
    const std::wstring png = WindowsPathOf(pngUnixPath);
    ::DeleteFileW(png.c_str());
    // Wine's queues have a page of 0 x 0, so its y flip leaves the drawing above the page: the
    // picture's copy moves the origin down by a letter page (in the job's 300 dpi units).
    const std::string shifted = pngUnixPath + ".ps";
    const std::string script = "sed 's/^0 0 translate$/0 3300 translate/' '" + psUnixPath + "' > '" + shifted +
                               "' && gs -q -dSAFER -dBATCH -dNOPAUSE -sPAPERSIZE=letter -sDEVICE=png16m -r100 -o '" +
                               pngUnixPath + ".part' '" + shifted + "' && mv '" + pngUnixPath + ".part' '" +
                               pngUnixPath + "' && rm -f '" + shifted + "'";
    std::wstring command = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
    for (DWORD waited = 0; waited < 30000; waited += 100) {
        if (::GetFileAttributesW(png.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(100);
    }
    return false;
}

struct UsbTraceCapture::State {
    mutable std::mutex mutex;
    std::vector<std::wstring> lines;
};

UsbTraceCapture::UsbTraceCapture() : state_(std::make_shared<State>())
{
    std::shared_ptr<State> state = state_;
    win32::SetTraceListener([state](const std::wstring& line) {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->lines.push_back(line);
    });
}

UsbTraceCapture::~UsbTraceCapture() { win32::SetTraceListener({}); }

std::vector<std::wstring> UsbTraceCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->lines;
}

size_t UsbTraceCapture::Count(const std::wstring& line) const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    size_t n = 0;
    for (const std::wstring& traced : state_->lines)
        if (traced == line) ++n;
    return n;
}

bool UsbTraceCapture::WaitFor(const std::wstring& line, size_t count, DWORD timeoutMs) const
{
    for (DWORD waited = 0;; waited += 20) {
        if (Count(line) >= count) return true;
        if (waited >= timeoutMs) return false;
        ::Sleep(20);
    }
}

std::string DwordBytes(DWORD value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

void FakeUsbPrinterSystem::Add(const std::wstring& devicePath, std::optional<std::string> linked,
                               std::optional<std::string> portNumber, DWORD flags)
{
    Interface added;
    added.flags = flags;
    added.devicePath = devicePath;
    interfaces.push_back(added);
    if (linked) SetValue(devicePath, L"Control", L"Linked", *linked);
    if (portNumber) SetValue(devicePath, L"Device Parameters", L"Port Number", *portNumber);
}

void FakeUsbPrinterSystem::SetValue(const std::wstring& devicePath, const std::wstring& subkey,
                                    const std::wstring& valueName, const std::string& bytes)
{
    std::wstring key = std::wstring(kDeviceClasses) + kClass + L"\\";
    for (wchar_t c : devicePath) key += (c == L'\\') ? L'#' : c;
    key += L"\\#\\" + subkey;
    keys_[Lower(key)][Lower(valueName)] = bytes;
}

bool FakeUsbPrinterSystem::OpenInterfaceSet(const GUID&)
{
    ++opens;
    return setAvailable;
}

bool FakeUsbPrinterSystem::EnumInterface(DWORD memberIndex, DWORD& flags)
{
    enumerated.push_back(memberIndex);
    if (memberIndex >= interfaces.size()) return false;
    current_ = memberIndex;
    flags = interfaces[current_].flags;
    return true;
}

DWORD FakeUsbPrinterSystem::DetailSize()
{
    const Interface& current = interfaces[current_];
    if (current.detailSize) return *current.detailSize;
    return static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                              (current.devicePath.size() + 1) * sizeof(wchar_t));
}

bool FakeUsbPrinterSystem::ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size)
{
    ++detailReads;
    const Interface& current = interfaces[current_];
    // SetupAPI refuses a size field other than the fixed part's size.
    if (current.detailFails || detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return false;
    const size_t needed =
        offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (current.devicePath.size() + 1) * sizeof(wchar_t);
    if (size < needed) return false;
    std::memcpy(detail->DevicePath, current.devicePath.c_str(), (current.devicePath.size() + 1) * sizeof(wchar_t));
    return true;
}

void FakeUsbPrinterSystem::CloseInterfaceSet() { ++closes; }

UsbPrinterSystem::ValueRead FakeUsbPrinterSystem::ReadValue(const std::wstring& keyPath,
                                                            const std::wstring& valueName, unsigned char* buffer,
                                                            DWORD size)
{
    keysAsked.push_back(keyPath);
    const size_t hash = keyPath.rfind(L"\\#\\");
    valueReads.push_back((hash == std::wstring::npos ? keyPath : keyPath.substr(hash + 3)) + L"\\" + valueName);
    const auto key = keys_.find(Lower(keyPath));
    if (key == keys_.end()) return ValueRead::KeyNotOpened;
    const auto value = key->second.find(Lower(valueName));
    if (value == key->second.end() || value->second.size() > size) return ValueRead::ValueNotRead;
    std::memcpy(buffer, value->second.data(), value->second.size());
    return ValueRead::Read;
}

void* FakeUsbPrinterSystem::Allocate(size_t size)
{
    if (failAllocations) return nullptr;
    ++allocations;
    return UsbPrinterSystem::Allocate(size);
}

void FakeUsbPrinterSystem::Free(void* block)
{
    ++frees;
    UsbPrinterSystem::Free(block);
}

HookedUsbPrinterSystem::HookedUsbPrinterSystem() : real_(MakeWin32UsbPrinterSystem()) {}

bool HookedUsbPrinterSystem::OpenInterfaceSet(const GUID& interfaceClass)
{
    const bool opened = real_->OpenInterfaceSet(interfaceClass);
    if (afterSetOpened) afterSetOpened();
    return opened;
}

bool HookedUsbPrinterSystem::EnumInterface(DWORD memberIndex, DWORD& flags)
{
    return real_->EnumInterface(memberIndex, flags);
}

DWORD HookedUsbPrinterSystem::DetailSize() { return real_->DetailSize(); }

bool HookedUsbPrinterSystem::ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size)
{
    if (detailReads++ == failDetailRead) return false;
    return real_->ReadDetail(detail, size);
}

void HookedUsbPrinterSystem::CloseInterfaceSet()
{
    ++closes;
    real_->CloseInterfaceSet();
}

UsbPrinterSystem::ValueRead HookedUsbPrinterSystem::ReadValue(const std::wstring& keyPath,
                                                              const std::wstring& valueName,
                                                              unsigned char* buffer, DWORD size)
{
    return real_->ReadValue(keyPath, valueName, buffer, size);
}

}  // namespace testing_support
