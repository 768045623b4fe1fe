#include "ports/PortReport.h"

#include "framework/MessageBox.h"
#include "ports/UsbPorts.h"
#include "support/lib/UsbSimulation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testing_support::DwordBytes;
using testing_support::FakeUsbPrinterSystem;
using testing_support::UsbTraceCapture;

namespace {

const std::string kTail = std::string(20, '\n') + "\x1d\x56\x01";

std::wstring PathOf(const std::wstring& instance, const std::wstring& vendor = L"vid_0416")
{
    return L"\\\\?\\usb#" + vendor + L"&pid_5011#" + instance + L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

struct Box {
    std::wstring text;
    UINT type;
};

// Takes over the message boxes and the worker start of one report; the jobs the workers would
// have got are kept for the test.
class PortReportRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_win8OrLater = 0;
        g_reportLanguage = 1033;
        framework::SetMessageHandler([this](const std::wstring& text, UINT type) {
            boxes.push_back({text, type});
            return IDOK;
        });
        started().clear();
    }
    void TearDown() override
    {
        framework::SetMessageHandler({});
        for (PortReportJob* job : started()) delete job;
        started().clear();
        g_win8OrLater = 0;
        g_reportLanguage = 2052;
    }

    static std::vector<PortReportJob*>& started()
    {
        static std::vector<PortReportJob*> jobs;
        return jobs;
    }
    static bool KeepJob(framework::WorkerProc proc, void* param)
    {
        EXPECT_EQ(proc, &PrintPortReport);
        started().push_back(static_cast<PortReportJob*>(param));
        return true;
    }
    static bool RefuseToStart(framework::WorkerProc, void*) { return false; }

    std::vector<Box> boxes;
};

}  // namespace

TEST(PortReportTexts, SummaryForPrintersOnPorts1And3)
{
    std::wstring summary = SummaryHeader(1033);
    summary = AddSummaryLine(summary, 1);
    summary = AddSummaryLine(summary, 3);
    EXPECT_EQ(summary, L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB003 ;\r\n");
    EXPECT_EQ(AddSummaryLine(SummaryHeader(2052), 1000), L"当前USB打印机的打印端口是：\r\n\tUSB1000 ;\r\n");
    // The summary so far is an argument, never a format.
    EXPECT_EQ(AddSummaryLine(L"%s%d", 7), L"%s%d\tUSB007 ;\r\n");
}

TEST(PortReportTexts, LanguageIdSelectsChineseOnlyFor2052)
{
    const struct {
        DWORD language;
        bool chinese;
    } cases[] = {{2052, true}, {1033, false}, {1046, false}, {2053, false}, {0, false}, {4100, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(SummaryHeader(c.language),
                  c.chinese ? L"当前USB打印机的打印端口是：\r\n" : L"A porta USB atual da impressora é :\r\n");
        EXPECT_EQ(NoPrinterText(c.language),
                  c.chinese ? L"USB打印机没有接入设备" : L"Não foi encontrada uma impressora USB !");
        EXPECT_EQ(PrinterNote(c.language, 1).rfind(c.chinese ? L"*******" : L"\r\n A porta", 0), 0u);
    }
}

TEST(PortReportTexts, ChineseNoteIsAFrameOfTwentyColumns)
{
    EXPECT_EQ(PrinterNote(2052, 1),
              L"********************\r\n"
              L"*                  *\r\n"
              L"* 您使用的当前打印 *\r\n"
              L"* 机USB打印端口是  *\r\n"
              L"*      USB001      *\r\n"
              L"*                  *\r\n"
              L"********************\r\n");
    const struct {
        DWORD port;
        const wchar_t* line;
    } cases[] = {{7, L"\r\n*      USB007      *\r\n"}, {999, L"\r\n*      USB999      *\r\n"},
                 {1000, L"\r\n*      USB1000      *\r\n"}};
    for (const auto& c : cases) EXPECT_NE(PrinterNote(2052, c.port).find(c.line), std::wstring::npos) << c.port;
}

TEST(PortReportTexts, PortugueseNoteNamesThePort)
{
    EXPECT_EQ(PrinterNote(1033, 12), L"\r\n A porta USB atual da impressora é USB012 \r\n");
    EXPECT_EQ(PrinterNote(1033, 1000), L"\r\n A porta USB atual da impressora é USB1000 \r\n");
}

TEST(PortReportTexts, ReportTextIsTheNoteAndTheCutTail)
{
    EXPECT_EQ(std::string(kNoteTail, kNoteTailSize), kTail);
    const std::wstring note = PrinterNote(1033, 12);
    EXPECT_EQ(ReportText(note), note + Wide(kTail));
    EXPECT_EQ(ReportText(L"%s"), L"%s" + Wide(kTail));
}

TEST(PortReportTexts, ReportBytesInTheCodePage)
{
    const struct {
        const char* name;
        std::wstring text;
        UINT codePage;
        std::string bytes;
    } cases[] = {
        {"Portuguese in 1252", ReportText(PrinterNote(1033, 12)), 1252,
         "\r\n A porta USB atual da impressora \xe9 USB012 \r\n" + kTail},
        {"Chinese in GBK", ReportText(PrinterNote(2052, 7)), 936,
         "********************\r\n*                  *\r\n"
         "* \xc4\xfa\xca\xb9\xd3\xc3\xb5\xc4\xb5\xb1\xc7\xb0\xb4\xf2\xd3\xa1 *\r\n"
         "* \xbb\xfa" "USB" "\xb4\xf2\xd3\xa1\xb6\xcb\xbf\xda\xca\xc7  *\r\n"
         "*      USB007      *\r\n*                  *\r\n********************\r\n" + kTail},
        // Three bytes a character: more than twice the text's length plus two.
        {"Chinese in UTF-8", L"您使用的当前打印", CP_UTF8,
         "\xe6\x82\xa8\xe4\xbd\xbf\xe7\x94\xa8\xe7\x9a\x84\xe5\xbd\x93\xe5\x89\x8d\xe6\x89\x93\xe5\x8d\xb0"},
        {"empty", L"", 1252, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "stale";
        EXPECT_TRUE(ReportBytes(c.text, c.codePage, bytes)) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
    std::string bytes = "stale";
    EXPECT_FALSE(ReportBytes(L"text", 12345, bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(PortReportRun, TwoPrintersGetOneJobEachAndOneSummary)
{
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"1"), DwordBytes(1), DwordBytes(1));
    system.Add(PathOf(L"2", L"vid_abcd"), DwordBytes(1), DwordBytes(2));
    system.Add(PathOf(L"3", L"vid_0483"), DwordBytes(1), DwordBytes(3));
    UsbTraceCapture traces;
    EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass, system, &PortReportRun::KeepJob));

    const std::wstring summary = L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB003 ;\r\n";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, summary);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(traces.Count(summary), 1u);
    ASSERT_EQ(started().size(), 2u);
    EXPECT_EQ(started()[0]->devicePath, PathOf(L"1"));
    EXPECT_EQ(started()[0]->reportText, PrinterNote(1033, 1) + Wide(kTail));
    EXPECT_EQ(started()[1]->devicePath, PathOf(L"3", L"vid_0483"));
    EXPECT_EQ(started()[1]->reportText, PrinterNote(1033, 3) + Wide(kTail));
    // The walk's own buffers are gone; the jobs hold copies.
    EXPECT_EQ(system.allocations, system.frees);
    EXPECT_EQ(system.closes, 1);
}

TEST_F(PortReportRun, ChineseLanguageGivesChineseNotesAndSummary)
{
    g_reportLanguage = 2052;
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"7"), DwordBytes(1), DwordBytes(7));
    EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass, system, &PortReportRun::KeepJob));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"当前USB打印机的打印端口是：\r\n\tUSB007 ;\r\n");
    ASSERT_EQ(started().size(), 1u);
    EXPECT_EQ(started()[0]->reportText, PrinterNote(2052, 7) + Wide(kTail));
}

TEST_F(PortReportRun, NoQualifyingPrinterShowsTheNoPrinterText)
{
    const struct {
        DWORD language;
        const wchar_t* text;
    } cases[] = {{1033, L"Não foi encontrada uma impressora USB !"}, {2052, L"USB打印机没有接入设备"}};
    for (const auto& c : cases) {
        g_reportLanguage = c.language;
        boxes.clear();
        FakeUsbPrinterSystem system;
        system.Add(PathOf(L"1", L"vid_abcd"), DwordBytes(1), DwordBytes(1));
        system.Add(PathOf(L"2"), DwordBytes(0), DwordBytes(2));
        UsbTraceCapture traces;
        EXPECT_FALSE(ReportUsbPorts(kUsbPrintInterfaceClass, system, &PortReportRun::KeepJob));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(traces.Count(L"USB打印机没有接入设备"), 1u);
        EXPECT_TRUE(started().empty());
    }
}

TEST_F(PortReportRun, WalkFailureShowsNothingButStartedWorkersStay)
{
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"1"), DwordBytes(1), DwordBytes(1));
    system.Add(PathOf(L"2"), DwordBytes(1), DwordBytes(2));
    system.interfaces[1].detailFails = true;
    UsbTraceCapture traces;
    EXPECT_FALSE(ReportUsbPorts(kUsbPrintInterfaceClass, system, &PortReportRun::KeepJob));
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(started().size(), 1u);
    EXPECT_EQ(started()[0]->devicePath, PathOf(L"1"));
    for (const std::wstring& line : traces.Lines()) EXPECT_EQ(line.find(L"A porta"), std::wstring::npos);

    FakeUsbPrinterSystem noSet;
    noSet.setAvailable = false;
    UsbTraceCapture quiet;
    EXPECT_FALSE(ReportUsbPorts(kUsbPrintInterfaceClass, noSet, &PortReportRun::KeepJob));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(quiet.Lines().empty());
}

TEST_F(PortReportRun, LauncherReleasesTheJobOfAWorkerThatDidNotStart)
{
    const long aliveBefore = PortReportJobsAlive();
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"1"), DwordBytes(1), DwordBytes(1));
    system.Add(PathOf(L"3"), DwordBytes(1), DwordBytes(3));
    EXPECT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass, system, &PortReportRun::RefuseToStart));
    EXPECT_EQ(PortReportJobsAlive(), aliveBefore);
    // The summary lists the printers whatever became of their notes.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB003 ;\r\n");
}
