// The port check against Wine's SetupAPI and registry, with real worker threads writing to the
// printers' device paths (plain files behind the prefix's dosdevices names).
#include "ports/PortReport.h"

#include "framework/MessageBox.h"
#include "ports/UsbPorts.h"
#include "support/lib/UsbSimulation.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

using testing_support::ConnectUsbDevice;
using testing_support::HookedUsbPrinterSystem;
using testing_support::ReadUsbDevice;
using testing_support::SimulatedUsbPrinter;
using testing_support::PortugueseNoteBytes;
using testing_support::UsbPrinterAt;
using testing_support::UsbTraceCapture;

namespace {

const std::string kTail = std::string(20, '\n') + "\x1d\x56\x01";

// The workers are not waited for by the program; a test waits until each has released its job,
// and then a moment more for the threads to finish ending before the process may exit.
bool WaitForJobsReleased(DWORD timeoutMs = 5000)
{
    for (DWORD waited = 0; PortReportJobsAlive() != 0; waited += 20) {
        if (waited >= timeoutMs) return false;
        ::Sleep(20);
    }
    ::Sleep(50);
    return true;
}

struct Box {
    std::wstring text;
    UINT type;
};

class PortReportReal : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_win8OrLater = 0;
        g_reportLanguage = 1033;
        framework::SetMessageHandler([this](const std::wstring& text, UINT type) {
            boxes.push_back({text, type});
            return IDOK;
        });
    }
    void TearDown() override
    {
        WaitForJobsReleased();
        framework::SetMessageHandler({});
        for (const SimulatedUsbPrinter& printer : attached_) {
            testing_support::DetachUsbPrinter(printer);
            testing_support::DisconnectUsbDevice(printer);
        }
        g_win8OrLater = 0;
        g_reportLanguage = 2052;
    }
    // Attached and with a device file that takes the bytes.
    void Attach(const SimulatedUsbPrinter& printer, bool connected = true)
    {
        attached_.push_back(printer);
        ASSERT_TRUE(testing_support::AttachUsbPrinter(printer));
        if (connected) {
            ASSERT_TRUE(ConnectUsbDevice(printer));
        } else {
            testing_support::DisconnectUsbDevice(printer);
        }
    }

    std::vector<Box> boxes;

private:
    std::vector<SimulatedUsbPrinter> attached_;
};

// Worker starts that the test controls: in a Chinese thread locale, or held back until the
// launcher is long done.
DWORD WINAPI RunInChineseLocale(void* param)
{
    ::SetThreadLocale(MAKELCID(2052, SORT_DEFAULT));
    return PrintPortReport(param);
}

bool StartInChineseLocale(framework::WorkerProc, void* param)
{
    win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, RunInChineseLocale, param, 0, nullptr));
    return static_cast<bool>(thread);
}

std::mutex g_heldMutex;
std::vector<void*> g_heldJobs;

bool HoldBack(framework::WorkerProc, void* param)
{
    std::lock_guard<std::mutex> lock(g_heldMutex);
    g_heldJobs.push_back(param);
    return true;
}

DWORD WINAPI RunHeldJob(void* param) { return PrintPortReport(param); }

}  // namespace

TEST_F(PortReportReal, EachListedPrinterPrintsItsOwnNoteAndTheBoxListsThemAll)
{
    const SimulatedUsbPrinter first = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&1", 1);
    const SimulatedUsbPrinter unlisted = UsbPrinterAt(L"VID_0417&PID_5011", L"5&a&0&2", 2);
    const SimulatedUsbPrinter third = UsbPrinterAt(L"VID_067B&PID_2305", L"5&a&0&3", 3);
    Attach(first);
    Attach(unlisted);
    Attach(third);
    UsbTraceCapture traces;

    EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass));

    const std::wstring summary = L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB003 ;\r\n";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, summary);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 2));
    ASSERT_TRUE(WaitForJobsReleased());
    EXPECT_EQ(ReadUsbDevice(first), PortugueseNoteBytes("USB001"));
    EXPECT_EQ(ReadUsbDevice(third), PortugueseNoteBytes("USB003"));
    EXPECT_EQ(ReadUsbDevice(unlisted), "");
    EXPECT_EQ(traces.Count(summary), 1u);
    EXPECT_EQ(traces.Count(L"open usb device failed !"), 0u);
}

TEST_F(PortReportReal, ChineseNoteArrivesInGbk)
{
    g_reportLanguage = 2052;
    const SimulatedUsbPrinter printer = UsbPrinterAt(L"VID_1CBE&PID_0002", L"6&b&0&7", 7);
    Attach(printer);
    UsbTraceCapture traces;
    HookedUsbPrinterSystem system;

    EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass, system, StartInChineseLocale));

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"当前USB打印机的打印端口是：\r\n\tUSB007 ;\r\n");
    ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 1));
    ASSERT_TRUE(WaitForJobsReleased());
    EXPECT_EQ(ReadUsbDevice(printer),
              "********************\r\n"
              "*                  *\r\n"
              "* \xc4\xfa\xca\xb9\xd3\xc3\xb5\xc4\xb5\xb1\xc7\xb0\xb4\xf2\xd3\xa1 *\r\n"
              "* \xbb\xfa" "USB" "\xb4\xf2\xd3\xa1\xb6\xcb\xbf\xda\xca\xc7  *\r\n"
              "*      USB007      *\r\n"
              "*                  *\r\n"
              "********************\r\n" +
                  kTail);
}

TEST_F(PortReportReal, NoListedPrinterShowsTheNoPrinterBox)
{
    Attach(UsbPrinterAt(L"VID_ABCD&PID_0001", L"5&a&0&1", 1));
    UsbTraceCapture traces;
    EXPECT_FALSE(ReportUsbPorts(kUsbPrintInterfaceClass));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Não foi encontrada uma impressora USB !");
    EXPECT_EQ(traces.Count(L"USB打印机没有接入设备"), 1u);
    EXPECT_EQ(PortReportJobsAlive(), 0);
}

TEST_F(PortReportReal, PrinterThatCannotBeOpenedIsStillListed)
{
    const struct {
        const char* name;
        bool held;  // open elsewhere without sharing; otherwise there is no device at all
    } cases[] = {{"unplugged", false}, {"held by another program", true}};
    for (const auto& c : cases) {
        boxes.clear();
        const SimulatedUsbPrinter blocked = UsbPrinterAt(L"VID_0483&PID_5740", L"5&a&0&1", 1);
        const SimulatedUsbPrinter fine = UsbPrinterAt(L"VID_0483&PID_5740", L"5&a&0&2", 2);
        Attach(blocked, c.held);
        Attach(fine);
        win32::UniqueHandle holder;
        if (c.held) {
            holder.reset(::CreateFileW(testing_support::UsbDeviceFile(blocked).c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(holder) << c.name;
        }
        UsbTraceCapture traces;

        EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass)) << c.name;

        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].text, L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB002 ;\r\n") << c.name;
        ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 1)) << c.name;
        ASSERT_TRUE(traces.WaitFor(L"open usb device failed !", 1)) << c.name;
        ASSERT_TRUE(WaitForJobsReleased()) << c.name;
        holder.reset();
        EXPECT_EQ(ReadUsbDevice(fine), PortugueseNoteBytes("USB002")) << c.name;
        EXPECT_EQ(ReadUsbDevice(blocked), "") << c.name;
        testing_support::DetachUsbPrinter(blocked);
        testing_support::DetachUsbPrinter(fine);
    }
}

TEST_F(PortReportReal, FailedSecondDetailRequestShowsNoBoxButTheFirstPrinterPrints)
{
    const SimulatedUsbPrinter first = UsbPrinterAt(L"VID_0471&PID_0055", L"5&a&0&1", 1);
    const SimulatedUsbPrinter second = UsbPrinterAt(L"VID_0471&PID_0055", L"5&a&0&2", 2);
    Attach(first);
    Attach(second);
    UsbTraceCapture traces;
    HookedUsbPrinterSystem system;
    system.failDetailRead = 1;

    EXPECT_FALSE(ReportUsbPorts(kUsbPrintInterfaceClass, system));

    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 1));
    ASSERT_TRUE(WaitForJobsReleased());
    EXPECT_EQ(ReadUsbDevice(first), PortugueseNoteBytes("USB001"));
    EXPECT_EQ(ReadUsbDevice(second), "");
    EXPECT_EQ(system.closes, 1);
}

TEST_F(PortReportReal, OffLinePrinterIsLeftOutBeforeWindows8Only)
{
    const struct {
        const wchar_t* edition;
        bool printed;
    } cases[] = {{L"Windows 7", false}, {L"Windows 10", true}};
    for (const auto& c : cases) {
        boxes.clear();
        g_win8OrLater = 0;
        const SimulatedUsbPrinter printer = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&4", 4);
        Attach(printer);
        HookedUsbPrinterSystem system;
        system.afterSetOpened = [&] { ASSERT_TRUE(testing_support::SetUsbLinked(printer, 0)); };
        UsbTraceCapture traces;
        std::wstring edition = c.edition;
        MarkWin8OrLater(edition);

        EXPECT_EQ(ReportUsbPorts(kUsbPrintInterfaceClass, system), c.printed) << edition;

        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.printed ? L"A porta USB atual da impressora é :\r\n\tUSB004 ;\r\n"
                                           : L"Não foi encontrada uma impressora USB !")
            << edition;
        if (c.printed) {
            ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 1));
        }
        ASSERT_TRUE(WaitForJobsReleased());
        EXPECT_EQ(ReadUsbDevice(printer), c.printed ? PortugueseNoteBytes("USB004") : "") << edition;
        EXPECT_EQ(traces.Count(L"print is off-line"), c.printed ? 0u : 1u) << edition;
        testing_support::DetachUsbPrinter(printer);
    }
}

TEST_F(PortReportReal, JobKeepsWhatTheWorkerNeedsAfterTheLauncherIsDone)
{
    const SimulatedUsbPrinter first = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&1", 1);
    const SimulatedUsbPrinter second = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&2", 12);
    Attach(first);
    Attach(second);
    {
        std::lock_guard<std::mutex> lock(g_heldMutex);
        g_heldJobs.clear();
    }
    UsbTraceCapture traces;
    {
        HookedUsbPrinterSystem system;
        EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass, system, HoldBack));
    }  // the walk's buffers and set are gone; only the jobs remain
    EXPECT_EQ(PortReportJobsAlive(), 2);

    std::vector<void*> held;
    {
        std::lock_guard<std::mutex> lock(g_heldMutex);
        held.swap(g_heldJobs);
    }
    ASSERT_EQ(held.size(), 2u);
    for (void* job : held) {
        win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, RunHeldJob, job, 0, nullptr));
        ASSERT_TRUE(thread);
    }
    ASSERT_TRUE(traces.WaitFor(L"print scuessful !", 2));
    // Each worker released its own job.
    ASSERT_TRUE(WaitForJobsReleased());
    EXPECT_EQ(ReadUsbDevice(first), PortugueseNoteBytes("USB001"));
    EXPECT_EQ(ReadUsbDevice(second), PortugueseNoteBytes("USB012"));
}
