// USB printers attached the way Windows (and Wine's SetupAPI) records them: the interface keys
// under DeviceClasses\{usb print class} and the device's Enum key. Raw writes to a printer's
// device path land in a plain file of the prefix's dosdevices folder, where the test reads them.
#pragma once

#include "ports/UsbPorts.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct SimulatedUsbPrinter {
    std::wstring hardwareId = L"VID_0416&PID_5011";  // VID_xxxx&PID_yyyy as the USB stack names it
    std::wstring instance = L"5&abc&0&1";
    std::optional<DWORD> linked = 1;      // Control\Linked; none: no Control key at all
    std::optional<DWORD> portNumber = 1;  // Device Parameters\Port Number; none: no such value
};

// A linked printer of that hardware id and instance on the given port.
SimulatedUsbPrinter UsbPrinterAt(const std::wstring& hardwareId, const std::wstring& instance, DWORD port);

// What a printer receives from the port check in the Portuguese form, in code page 1252
// (é is 0xE9): the note naming portName, 20 line feeds and the paper cut GS V 1.
std::string PortugueseNoteBytes(const char* portName);

// The interface key under HKLM (DeviceClasses\{class}\##?#USB#...#{class}).
std::wstring UsbInterfaceKey(const SimulatedUsbPrinter& printer);

// The device path SetupAPI reports for it: \\?\usb#vid_...#<instance>#{class}, lower case.
std::wstring UsbDevicePath(const SimulatedUsbPrinter& printer);

// Writes the printer's keys; false when one could not be written.
bool AttachUsbPrinter(const SimulatedUsbPrinter& printer);
// Removes them again.
void DetachUsbPrinter(const SimulatedUsbPrinter& printer);

// Changes Control\Linked of an attached printer; none removes the Control key.
bool SetUsbLinked(const SimulatedUsbPrinter& printer, std::optional<DWORD> linked);

// Any value under the interface's "#\<subkey>" key (a REG_BINARY of the given bytes).
bool SetUsbInterfaceValue(const SimulatedUsbPrinter& printer, const std::wstring& subkey,
                          const std::wstring& valueName, const std::string& bytes);

// The file behind the device path: <prefix>\dosdevices\<path after \\?\>.
std::wstring UsbDeviceFile(const SimulatedUsbPrinter& printer);
// An empty device file (made afresh: an existing one is deleted first, never written through).
bool ConnectUsbDevice(const SimulatedUsbPrinter& printer);
// No device file: opening the device path then fails like an unplugged printer.
void DisconnectUsbDevice(const SimulatedUsbPrinter& printer);
// What the printer has received. Read it only once its writer is done: the program opens the
// device without sharing, so a read at the same moment would make that open fail.
std::string ReadUsbDevice(const SimulatedUsbPrinter& printer);

// Its size without opening it (so a writer that opens it without sharing is never disturbed);
// 0 when there is no device file.
unsigned long long UsbDeviceSize(const SimulatedUsbPrinter& printer);
// Polls UsbDeviceSize until it reaches size (true) or timeoutMs has passed (false).
bool WaitForUsbDeviceSize(const SimulatedUsbPrinter& printer, unsigned long long size, DWORD timeoutMs = 10000);

// Printed output of a spooler queue: Wine writes the PostScript of a job printed to port into
// the Unix file this maps it to (HKCU\Software\Wine\Printing\Spooler).
bool MapPrinterPortToFile(const std::wstring& port, const std::string& unixPath);
// Ghostscript's picture of such a job, when the host has ghostscript (false otherwise). Wine
// starts Unix programs but gives no handle to wait on, so this polls for the finished file.
bool RenderPostScriptToPng(const std::string& psUnixPath, const std::string& pngUnixPath);

// Collects the program's traces (win32::Trace) from every thread while it lives.
class UsbTraceCapture {
public:
    UsbTraceCapture();
    ~UsbTraceCapture();
    UsbTraceCapture(const UsbTraceCapture&) = delete;
    UsbTraceCapture& operator=(const UsbTraceCapture&) = delete;

    std::vector<std::wstring> Lines() const;
    size_t Count(const std::wstring& line) const;
    // Polls (20 ms steps, at most timeoutMs) until line was traced count times.
    bool WaitFor(const std::wstring& line, size_t count, DWORD timeoutMs = 10000) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// The walk's view of Windows as a list of interfaces and a table of registry values, for the
// decisions that Wine's SetupAPI cannot be made to show (flags other than 1, failing detail
// requests, allocations that fail). Records what the walk asked for.
class FakeUsbPrinterSystem final : public UsbPrinterSystem {
public:
    struct Interface {
        DWORD flags = SPINT_ACTIVE;
        std::wstring devicePath;
        std::optional<DWORD> detailSize;  // what the size request gives; none: what the path needs
        bool detailFails = false;         // the second detail request fails
    };

    bool setAvailable = true;
    std::vector<Interface> interfaces;
    bool failAllocations = false;

    // An interface with its registry values; a value that is none is not there, and a subkey with
    // no value at all is not there either.
    void Add(const std::wstring& devicePath, std::optional<std::string> linked, std::optional<std::string> portNumber,
             DWORD flags = SPINT_ACTIVE);
    // A value under <interface key>\#\<subkey>, the key written out by hand as Windows keeps it.
    void SetValue(const std::wstring& devicePath, const std::wstring& subkey, const std::wstring& valueName,
                  const std::string& bytes);

    // What the walk did.
    int opens = 0;
    int closes = 0;
    std::vector<DWORD> enumerated;          // member indices asked for
    std::vector<std::wstring> valueReads;   // "<subkey>\<value>" of every registry read, in order
    std::vector<std::wstring> keysAsked;    // the key paths as the walk built them
    int allocations = 0;                    // successful ones
    int frees = 0;
    int detailReads = 0;

    bool OpenInterfaceSet(const GUID& interfaceClass) override;
    bool EnumInterface(DWORD memberIndex, DWORD& flags) override;
    DWORD DetailSize() override;
    bool ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size) override;
    void CloseInterfaceSet() override;
    ValueRead ReadValue(const std::wstring& keyPath, const std::wstring& valueName, unsigned char* buffer,
                        DWORD size) override;
    void* Allocate(size_t size) override;
    void Free(void* block) override;

private:
    std::map<std::wstring, std::map<std::wstring, std::string>> keys_;  // lower-case key -> values
    size_t current_ = 0;
};

// This machine's SetupAPI and registry, with a moment to change the registry between the
// interface list and the walk's own reads (a printer switched off or unplugged meanwhile; Wine
// lists only linked interfaces, so this is how a listed interface meets a link state of 0), and
// second detail requests that fail on demand.
class HookedUsbPrinterSystem final : public UsbPrinterSystem {
public:
    HookedUsbPrinterSystem();

    std::function<void()> afterSetOpened;
    int failDetailRead = -1;  // the (0-based) second detail request that fails
    int detailReads = 0;
    int closes = 0;

    bool OpenInterfaceSet(const GUID& interfaceClass) override;
    bool EnumInterface(DWORD memberIndex, DWORD& flags) override;
    DWORD DetailSize() override;
    bool ReadDetail(SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD size) override;
    void CloseInterfaceSet() override;
    ValueRead ReadValue(const std::wstring& keyPath, const std::wstring& valueName, unsigned char* buffer,
                        DWORD size) override;

private:
    std::unique_ptr<UsbPrinterSystem> real_;
};

// Four little-endian bytes, as a REG_DWORD holds them.
std::string DwordBytes(DWORD value);

}  // namespace testing_support
