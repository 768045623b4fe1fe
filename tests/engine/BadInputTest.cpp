// What the system hands the program may be odd: registry values of another type or of any size,
// device paths of any length or none that converts, thousands of printers, names the ANSI code
// page cannot hold. None of it may crash, write or read past a buffer, or pass for success.
#include "InstallFixture.h"

#include "catalogue/ModelCatalogue.h"
#include "install/UniqueName.h"
#include "ports/PortReport.h"
#include "ports/UsbPorts.h"
#include "support/lib/SpoolerQueries.h"
#include "support/lib/UsbSimulation.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

enum class Fits { Yes, No, Either };

struct ValueCase {
    const char* label;
    DWORD type;
    std::string bytes;
    Fits read;  // read into the 261-byte buffer, or refused as too large
};

}  // namespace

// Through the program's own registry reads: the buffer sits inside a larger block whose tail must
// stay untouched, whatever the value's type and size.
TEST(BadRegistryValues, AreReadWithinTheBufferOrRefused)
{
    SimulatedUsbPrinter printer;
    printer.instance = L"5&odd&0&1";
    ASSERT_TRUE(AttachUsbPrinter(printer));
    const std::wstring key = InterfaceKeyPath(UsbDevicePath(printer), L"Device Parameters");
    const std::vector<ValueCase> cases = {
        {"dword", REG_DWORD, std::string("\x02\x00\x00\x00", 4), Fits::Yes},
        {"string", REG_SZ, std::string("7\0\0\0", 4), Fits::Yes},
        {"one byte", REG_BINARY, std::string("\x05", 1), Fits::Yes},
        {"empty", REG_BINARY, std::string(), Fits::Yes},
        {"exactly the buffer", REG_BINARY, std::string(kInterfaceValueSize, '\x11'), Fits::Yes},
        // Wine asks room for the terminator it adds to string data; Windows reads it as it is.
        {"string of the buffer less one, no terminator", REG_SZ, std::string(kInterfaceValueSize - 1, 'A'),
         Fits::Either},
        {"multi-string of the buffer", REG_MULTI_SZ, std::string(kInterfaceValueSize, 'B'), Fits::Either},
        {"one byte more", REG_BINARY, std::string(kInterfaceValueSize + 1, '\x22'), Fits::No},
        {"string far larger", REG_SZ, std::string(4000, 'C'), Fits::No},
    };
    const std::unique_ptr<UsbPrinterSystem> system = MakeWin32UsbPrinterSystem();
    for (const ValueCase& c : cases) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Odd", c.type, c.bytes.data(),
                                    static_cast<DWORD>(c.bytes.size())),
                  ERROR_SUCCESS)
            << c.label;
        unsigned char block[kInterfaceValueSize + 64];
        std::memset(block, 0xCC, sizeof block);
        const UsbPrinterSystem::ValueRead read = system->ReadValue(key, L"Odd", block, kInterfaceValueSize);
        const bool wasRead = read == UsbPrinterSystem::ValueRead::Read;
        if (c.read != Fits::Either) {
            EXPECT_EQ(wasRead, c.read == Fits::Yes) << c.label;
        }
        for (size_t i = kInterfaceValueSize; i < sizeof block; ++i)
            ASSERT_EQ(block[i], 0xCC) << c.label << ": written at " << i;
        if (wasRead) {
            EXPECT_EQ(std::memcmp(block, c.bytes.data(), c.bytes.size()), 0) << c.label;
        }
    }

    // And through the walk's reader: a refused value is a failure, never a port.
    InterfaceValueBuffer buffer = {};
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Port Number", REG_BINARY,
                                std::string(kInterfaceValueSize + 1, '\x01').data(), kInterfaceValueSize + 1),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadInterfaceValue(UsbDevicePath(printer), L"Device Parameters", L"Port Number", buffer));
    std::string port = "unchanged";
    EXPECT_FALSE(FindUsbPrinterPort(port));
    EXPECT_EQ(port, "unchanged");
    DetachUsbPrinter(printer);
}

// Paths SetupAPI could report: too short to hold a vendor, with a code unit no code page holds,
// longer than MAX_PATH. None qualifies without its registry keys, and none breaks the walk.
TEST(BadDevicePaths, AreLeftOutOrFailCleanly)
{
    const std::wstring prefix = L"\\\\?\\usb#";
    const std::wstring longPath = prefix + L"vid_0416&pid_5011#" + std::wstring(400, L'x') +
                                  L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    const std::vector<std::wstring> paths = {
        L"", L"\\", prefix, prefix + L"vid_04", std::wstring(L"\\\\?\\usb#vid_0416\xD800", 17), longPath};
    for (const std::wstring& path : paths) {
        (void)IsListedUsbVendor(path);
        EXPECT_FALSE(IsListedUsbVendor(path.substr(0, 15))) << path.size();
    }
    EXPECT_TRUE(IsListedUsbVendor(longPath));

    FakeUsbPrinterSystem system;
    for (const std::wstring& path : paths) system.Add(path, std::string("\x01", 1), std::string("\x01\0\0\0", 4));
    std::vector<std::wstring> qualified;
    EXPECT_EQ(WalkUsbPrinters(system, kUsbPrintInterfaceClass,
                              [&](const std::wstring& path, DWORD) {
                                  qualified.push_back(path);
                                  return true;
                              }),
              UsbWalkEnd::Completed);
    // The long one names a listed vendor and its (fake) keys are there; the unpaired surrogate
    // may come out of the ANSI code page as a substitute and so still name one.
    EXPECT_NE(std::find(qualified.begin(), qualified.end(), longPath), qualified.end());
    for (const std::wstring& path : qualified) EXPECT_TRUE(path == longPath || path == paths[4]) << path.size();
    EXPECT_EQ(system.allocations, system.frees);

    // The real registry: a key name longer than the registry allows does not open.
    InterfaceValueBuffer buffer = {};
    EXPECT_FALSE(ReadInterfaceValue(longPath, L"Device Parameters", L"Port Number", buffer));

    // A worker given such a path: the device does not open, and it says so.
    UsbTraceCapture traces;
    PrintPortReport(new PortReportJob(longPath, ReportText(PrinterNote(1033, 1))));
    PrintPortReport(new PortReportJob(L"", ReportText(PrinterNote(1033, 1))));
    EXPECT_EQ(traces.Count(L"open usb device failed !"), 2u) << testing::PrintToString(traces.Lines());
    EXPECT_EQ(PortReportJobsAlive(), 0);
}

// 2,000 printers: the name search stays correct and quick however the spooler orders them.
TEST(ManyPrinters, TwoThousandNamesGiveTheNextFreeCopy)
{
    std::vector<std::wstring> names = {L"TPR-80C"};
    for (int i = 1; i < 2000; ++i) names.push_back(L"TPR-80C (copy " + std::to_wstring(i) + L")");
    for (const bool reversed : {false, true}) {
        std::vector<std::wstring> list = names;
        if (reversed) std::reverse(list.begin(), list.end());
        size_t traced = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(UniquePrinterName(L"TPR-80C", list, [&](const std::wstring&) { ++traced; }),
                  L"TPR-80C (copy 2000)");
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("unique name among 2,000 printers (%s): %.1f ms, %zu trace lines\n",
                    reversed ? "reversed" : "in order", ms, traced);
    }
}

using ManyQueues = InstallFixture;

TEST_F(ManyQueues, InstallBesideTwoThousandQueuesTakesTheNextFreeNameWithoutStalling)
{
    ASSERT_TRUE(MakePackages());
    ModelCatalogue first;
    ASSERT_TRUE(first.InstallPrinter(0, 3, 0, "LPT1:"));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i < 2000; ++i) {
        std::wstring name = L"TPR-80C (copy " + std::to_wstring(i) + L")";
        std::wstring port = L"LPT1:";
        std::wstring driver = L"TPR-80C";
        std::wstring processor = L"WinPrint";
        std::wstring dataType = L"RAW";
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        info.pPortName = &port[0];
        info.pDriverName = &driver[0];
        info.pPrintProcessor = &processor[0];
        info.pDatatype = &dataType[0];
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        win32::UniquePrinter queue(::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
        ASSERT_TRUE(queue) << i << " " << ::GetLastError();
    }
    const double made =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ModelCatalogue catalogue;
    const auto installStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 0, "LPT1:"));
    const double installed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - installStart).count();
    std::printf("2,000 queues made in %.1f s; the install beside them took %.2f s\n", made, installed);
    EXPECT_EQ(catalogue.printerName, L"TPR-80C (copy 2000)");
    EXPECT_NE(FindQueue(LocalQueues(), L"TPR-80C (copy 2000)"), nullptr);
    EXPECT_TRUE(messages_.empty());
    // About two million comparisons: traced one a line, they kept the form frozen for over a
    // minute. Only the first lines are traced, then their number.
    EXPECT_LT(installed, 20.0);
    const std::vector<std::wstring> nameLines = NameTraces();
    EXPECT_EQ(nameLines.size(), 4096u);
    ASSERT_FALSE(traces_.empty());
    const auto summary = std::find_if(traces_.begin(), traces_.end(), [](const std::wstring& line) {
        return line.rfind(L"name search: ", 0) == 0;
    });
    ASSERT_NE(summary, traces_.end());
    const std::wstring tail = L" further comparisons not traced\r\n";
    ASSERT_GT(summary->size(), tail.size());
    EXPECT_EQ(summary->substr(summary->size() - tail.size()), tail);
    // The spooler's order decides the exact number; in any order it is over a million.
    EXPECT_GT(std::stoul(summary->substr(13)), 1000000ul) << *summary;
}
