// The port check starts one worker per printer and waits for none of them: eight printers at
// once, over and over, each must get its own whole note, and no note may mix into another.
#include "ports/PortReport.h"

#include "framework/MessageBox.h"
#include "ports/UsbPorts.h"
#include "support/lib/UsbSimulation.h"
#include "win32/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

TEST(ConcurrentPortCheck, EightPrintersTwentyTimesEachGetTheirWholeNote)
{
    g_win8OrLater = 0;
    g_reportLanguage = 1033;
    std::vector<std::wstring> boxes;
    framework::SetMessageHandler([&](const std::wstring& text, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    constexpr DWORD kPrinters = 8;
    std::vector<SimulatedUsbPrinter> printers;
    std::wstring summary = SummaryHeader(1033);
    for (DWORD port = 1; port <= kPrinters; ++port) {
        SimulatedUsbPrinter printer;
        printer.instance = L"5&busy&0&" + std::to_wstring(port);
        printer.portNumber = port;
        ASSERT_TRUE(AttachUsbPrinter(printer));
        printers.push_back(printer);
    }

    for (int round = 0; round < 20; ++round) {
        for (const SimulatedUsbPrinter& printer : printers) ASSERT_TRUE(ConnectUsbDevice(printer));
        boxes.clear();
        ASSERT_TRUE(ReportUsbPorts(kUsbPrintInterfaceClass)) << round;
        for (DWORD waited = 0; PortReportJobsAlive() != 0; waited += 20) {
            ASSERT_LT(waited, 10000u) << "round " << round << ": workers still running";
            ::Sleep(20);
        }
        ::Sleep(20);  // the last worker may still be closing its device
        ASSERT_EQ(boxes.size(), 1u);
        // The walk order is SetupAPI's, the summary follows it: every port once.
        for (DWORD port = 1; port <= kPrinters; ++port)
            EXPECT_NE(boxes[0].find(AddSummaryLine(L"", port)), std::wstring::npos) << round << " " << port;
        for (DWORD port = 1; port <= kPrinters; ++port) {
            const std::string note = win32::ToAnsi(ReportText(PrinterNote(1033, port)));
            EXPECT_EQ(ReadUsbDevice(printers[port - 1]), note) << "round " << round << ", port " << port;
        }
    }

    for (const SimulatedUsbPrinter& printer : printers) {
        DetachUsbPrinter(printer);
        DisconnectUsbDevice(printer);
    }
    framework::SetMessageHandler({});
    g_reportLanguage = 2052;
}
