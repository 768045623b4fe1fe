// A long session in one process: many installs, port checks and test pages must give back every
// kernel handle, GDI object and USER object they take. The figures are printed for the record.
#include "InstallFixture.h"

#include "catalogue/ModelCatalogue.h"
#include "ports/PortReport.h"
#include "ports/TestPage.h"
#include "ports/UsbPorts.h"
#include "support/lib/UsbSimulation.h"
#include "support/lib/WineHost.h"
#include "win32/Handles.h"
#include "win32/Text.h"

#include <cstdio>
#include <vector>

using namespace testing_support;

namespace {

struct Resources {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

// Wine answers GetProcessHandleCount and GetGuiResources with 0. In their place the test counts
// for itself: kernel handles by probing handle values (Wine hands out the lowest free multiple of
// 4), GDI objects by probing the GDI handle table (Wine accepts an index without its generation),
// USER objects as this process's windows.
DWORD CountKernelHandles()
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value <= 4 * 16384; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

DWORD CountGdiObjects()
{
    DWORD count = 0;
    for (ULONG_PTR index = 32; index < 32 + 16384; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    return count;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM param)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(param);
        ::EnumChildWindows(window, CountOwnWindow, param);
    }
    return TRUE;
}

DWORD CountWindows()
{
    DWORD count = 0;
    ::EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool g_systemCounts = true;  // false once the system has answered 0: the census figures are used

Resources Measure()
{
    Resources now;
    ::GetProcessHandleCount(::GetCurrentProcess(), &now.handles);
    now.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    now.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (now.handles == 0 || now.gdiObjects == 0) {
        g_systemCounts = false;
        now.handles = CountKernelHandles();
        now.gdiObjects = CountGdiObjects();
        now.userObjects = CountWindows();
    }
    return now;
}

void Print(const char* what, const Resources& start, const Resources& end)
{
    std::printf("%-44s handles %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> %lu\n", what,
                static_cast<unsigned long>(start.handles), static_cast<unsigned long>(end.handles),
                static_cast<unsigned long>(start.gdiObjects), static_cast<unsigned long>(end.gdiObjects),
                static_cast<unsigned long>(start.userObjects), static_cast<unsigned long>(end.userObjects));
    std::fflush(stdout);
}

// What may stay above the start after a whole series: caches the system keeps per process (the
// spooler's and the registry's open keys, a thread-pool wait) settle within the first rounds, which
// run before the start is taken; a leak of one handle per round would show as 20 or more.
constexpr DWORD kHandleMargin = 4;
constexpr DWORD kGuiMargin = 2;

void ExpectWithinMargin(const Resources& start, const Resources& end)
{
    EXPECT_LE(end.handles, start.handles + kHandleMargin);
    EXPECT_LE(end.gdiObjects, start.gdiObjects + kGuiMargin);
    EXPECT_LE(end.userObjects, start.userObjects + kGuiMargin);
}

bool WaitForJobsReleased(DWORD timeoutMs = 10000)
{
    for (DWORD waited = 0; PortReportJobsAlive() != 0; waited += 20) {
        if (waited >= timeoutMs) return false;
        ::Sleep(20);
    }
    return true;
}

// The worker threads have released their jobs; their handles go when the threads have ended.
void LetWorkerThreadsEnd()
{
    ::Sleep(100);
}

SimulatedUsbPrinter Printer(const std::wstring& instance, DWORD port)
{
    SimulatedUsbPrinter printer;
    printer.instance = instance;
    printer.portNumber = port;
    return printer;
}

win32::UniqueBitmap Logo()
{
    std::vector<unsigned char> bits(((308 + 15) / 16) * 2 * 87, 0xF0);
    return win32::UniqueBitmap(::CreateBitmap(308, 87, 1, 1, bits.data()));
}

}  // namespace

using LongSession = InstallFixture;

TEST_F(LongSession, InstallsPortChecksAndTestPagesGiveBackTheirResources)
{
    ASSERT_TRUE(MakePackages());
    g_win8OrLater = 0;
    g_reportLanguage = 1033;
    const std::vector<SimulatedUsbPrinter> printers = {Printer(L"5&leak&0&1", 1), Printer(L"5&leak&0&2", 2)};
    for (const SimulatedUsbPrinter& printer : printers) {
        ASSERT_TRUE(AttachUsbPrinter(printer));
        ASSERT_TRUE(ConnectUsbDevice(printer));
    }
    const std::string psPath = std::string(VELTO_BUILD_DIR) + "/scratch-leak-testpage.ps";
    ASSERT_TRUE(MapPrinterPortToFile(L"USB001", psPath));
    win32::UniqueBitmap logo = Logo();
    ASSERT_TRUE(logo);

    ModelCatalogue catalogue;
    const auto install = [&] { return catalogue.InstallPrinter(0, 3, 1, "USB001"); };
    const auto portCheck = [&] {
        const bool reported = ReportUsbPorts(kUsbPrintInterfaceClass);
        const bool released = WaitForJobsReleased();
        LetWorkerThreadsEnd();
        return reported && released;
    };
    const auto testPage = [&] { PrintTestPage(win32::ToAnsi(catalogue.printerName).c_str(), logo.get()); };

    // First rounds: the system loads its libraries and fills its caches.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(install());
        ASSERT_TRUE(portCheck());
        testPage();
    }
    messages_.clear();

    {
        // The measure sees a leak when there is one.
        const Resources before = Measure();
        win32::UniqueBrush brushes[3] = {win32::UniqueBrush(::CreateSolidBrush(0)),
                                         win32::UniqueBrush(::CreateSolidBrush(1)),
                                         win32::UniqueBrush(::CreateSolidBrush(2))};
        win32::UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const Resources during = Measure();
        EXPECT_GE(during.gdiObjects, before.gdiObjects + 3);
        EXPECT_GE(during.handles, before.handles + 1);
    }

    const Resources start = Measure();
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(install()) << i;
    const Resources afterInstalls = Measure();
    Print("50 installs", start, afterInstalls);
    EXPECT_TRUE(messages_.empty()) << testing::PrintToString(MessageTexts());
    ExpectWithinMargin(start, afterInstalls);

    for (int i = 0; i < 50; ++i) ASSERT_TRUE(portCheck()) << i;
    const Resources afterChecks = Measure();
    Print("50 port checks, two printers", afterInstalls, afterChecks);
    ASSERT_EQ(messages_.size(), 50u);
    EXPECT_EQ(messages_.back().text,
              SummaryHeader(1033) + AddSummaryLine(AddSummaryLine(L"", 1), 2));
    ExpectWithinMargin(afterInstalls, afterChecks);

    for (int i = 0; i < 20; ++i) testPage();
    const Resources end = Measure();
    Print("20 test pages", afterChecks, end);
    ExpectWithinMargin(afterChecks, end);

    Print("whole session", start, end);
    std::printf("(%s)\n", g_systemCounts ? "GetProcessHandleCount and GetGuiResources"
                                          : "counted by probing: the system answered 0");
    ExpectWithinMargin(start, end);

    for (const SimulatedUsbPrinter& printer : printers) {
        DetachUsbPrinter(printer);
        DisconnectUsbDevice(printer);
    }
    g_reportLanguage = 2052;
}
