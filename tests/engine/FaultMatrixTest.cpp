// Faults of an install and of a port check, one row each: what the operator is told (in order),
// what the command gives, and what Windows holds afterwards. The install command runs as the
// options form runs it (port choice, install, closing message or question), against Wine's
// spooler, SetupAPI and registry; a chosen spooler answer stands in only where Wine cannot be
// made to refuse.
#include "InstallFixture.h"

#include "app/InstallFlow.h"
#include "catalogue/ModelCatalogue.h"
#include "framework/MessageBox.h"
#include "ports/PortReport.h"
#include "ports/UsbPorts.h"
#include "support/lib/SpoolerQueries.h"
#include "support/lib/UsbSimulation.h"
#include "support/lib/WineHost.h"
#include "win32/ErrorText.h"
#include "win32/Text.h"

#include <algorithm>
#include <ostream>

using namespace testing_support;

namespace {

const std::wstring kAdminText = L"Malfunction !\nPls try using <Run as administrator>open this App";
const int kLanguage = 1033;
const int kOsIndex = 3;     // an edition whose staging message carries the administrator hint
const int kModelIndex = 3;  // TPR-80C, POS80.DLL and POS80C.GPD
const wchar_t kModel[] = L"TPR-80C";

enum class Usb { None, Qualified, Unopenable, NoPortNumber };

struct FaultRow {
    const char* name;
    // The fault.
    std::vector<std::wstring> omit;  // package paths left out
    bool noDriverDirectory = false;
    DWORD refuseDriver = ERROR_SUCCESS;
    DWORD refuseQueue = ERROR_SUCCESS;
    bool queueOfTheModelsName = false;  // a queue named like the model exists already
    Usb usb = Usb::None;
    int interfaceIndex = 1;  // 0: USB
    // What follows.
    std::vector<std::wstring> messages;
    bool result = false;
    const wchar_t* queue = nullptr;  // the queue this install made, null: none
    const wchar_t* port = nullptr;
    bool driverRegistered = false;
    size_t stagedLeft = 0;  // files of ours left in the driver directory
};

// Rows print by name in test output.
void PrintTo(const FaultRow& row, std::ostream* os)
{
    *os << row.name;
}

std::wstring Failed()
{
    return FlowText(FlowMessage::InstallFailed, kLanguage);
}
std::wstring Configure()
{
    return FlowText(FlowMessage::ConfigureQuestion, kLanguage);
}
std::wstring TestPageQuestion()
{
    return FlowText(FlowMessage::TestPageQuestion, kLanguage);
}

std::vector<FaultRow> InstallRows()
{
    std::vector<FaultRow> rows;
    const wchar_t* const files[] = {L"POS80.DLL",  L"POS80C.GPD", L"UNIDRV.DLL", L"UNIDRVUI.DLL",
                                    L"UNIRES.DLL", L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"};
    static std::vector<std::string> names;
    names.clear();
    for (const wchar_t* file : files) {
        std::string name = "Missing_";
        for (const wchar_t* c = file; *c; ++c) name += (*c == L'.') ? '_' : static_cast<char>(*c);
        names.push_back(name);
    }
    for (size_t i = 0; i < 8; ++i) {
        FaultRow row;
        row.name = names[i].c_str();
        row.omit = {std::wstring(L"Windows x64\\") + files[i]};
        row.messages = {kAdminText, Failed()};
        row.stagedLeft = 7;
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "BothPackageFoldersMissing";
        row.omit = {L"Windows x64", L"Windows NT x86"};
        row.messages = {kAdminText, Failed()};
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "NoDriverDirectory";
        row.noDriverDirectory = true;
        row.messages = {kAdminText, Failed()};
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "SpoolerRefusesTheDriver";
        row.refuseDriver = ERROR_ACCESS_DENIED;
        row.messages = {win32::ErrorText(ERROR_ACCESS_DENIED), L"Install printer driver failed !", Failed()};
        row.stagedLeft = 8;
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "SpoolerRefusesTheQueue";
        row.refuseQueue = ERROR_INVALID_PRINTER_NAME;
        row.messages = {win32::ErrorText(ERROR_INVALID_PRINTER_NAME), Failed()};
        row.driverRegistered = true;
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "QueueOfTheModelsNameExists";
        row.queueOfTheModelsName = true;
        row.messages = {Configure()};
        row.result = true;
        row.queue = L"TPR-80C (copy 1)";
        row.port = L"LPT1:";
        row.driverRegistered = true;
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "NoUsbPrinter";
        row.interfaceIndex = 0;
        row.messages = {Configure()};
        row.result = true;
        row.queue = kModel;
        row.port = L"LPT1:";
        row.driverRegistered = true;
        rows.push_back(row);
    }
    {
        // The install reads the port from the registry only; the device is never opened.
        FaultRow row;
        row.name = "UsbPrinterWhoseDeviceDoesNotOpen";
        row.usb = Usb::Unopenable;
        row.interfaceIndex = 0;
        row.messages = {TestPageQuestion()};
        row.result = true;
        row.queue = kModel;
        row.port = L"USB001";
        row.driverRegistered = true;
        rows.push_back(row);
    }
    {
        FaultRow row;
        row.name = "UsbPrinterWithoutAPortNumber";
        row.usb = Usb::NoPortNumber;
        row.interfaceIndex = 0;
        row.messages = {Configure()};
        row.result = true;
        row.queue = kModel;
        row.port = L"LPT1:";
        row.driverRegistered = true;
        rows.push_back(row);
    }
    return rows;
}

SimulatedUsbPrinter UsbPrinterOf(Usb usb)
{
    SimulatedUsbPrinter printer;
    printer.instance = L"5&fault&0&1";
    printer.portNumber = 1;
    if (usb == Usb::NoPortNumber) printer.portNumber.reset();
    return printer;
}

class FaultMatrix : public InstallFixture, public ::testing::WithParamInterface<FaultRow> {
protected:
    void SetUp() override
    {
        InstallFixture::SetUp();
        g_win8OrLater = 0;
        // The questions are answered No: nothing after them is part of a fault.
        framework::SetMessageHandler([this](const std::wstring& text, UINT type) {
            messages_.push_back({text, type});
            return type == MB_YESNO ? IDNO : IDOK;
        });
    }
    void TearDown() override
    {
        if (usbAttached_) {
            DetachUsbPrinter(usbPrinter_);
            DisconnectUsbDevice(usbPrinter_);
        }
        InstallFixture::TearDown();
    }
    void AttachUsb(Usb usb)
    {
        if (usb == Usb::None) return;
        usbPrinter_ = UsbPrinterOf(usb);
        usbAttached_ = true;
        ASSERT_TRUE(AttachUsbPrinter(usbPrinter_));
        if (usb == Usb::Unopenable)
            DisconnectUsbDevice(usbPrinter_);
        else
            ASSERT_TRUE(ConnectUsbDevice(usbPrinter_));
    }

    SimulatedUsbPrinter usbPrinter_;
    bool usbAttached_ = false;
};

// The install command of the options form after its model check.
bool RunInstallCommand(ModelCatalogue& catalogue, int interfaceIndex)
{
    const std::string port = ChoosePort(interfaceIndex, FindUsbPrinterPort);
    if (!catalogue.InstallPrinter(kOsIndex, kModelIndex, 1, port)) {
        framework::ShowMessage(FlowText(FlowMessage::InstallFailed, kLanguage), MB_OK);
        return false;
    }
    framework::ShowMessage(FlowText(QuestionAfterInstall(port), kLanguage), MB_YESNO);
    return true;
}

}  // namespace

TEST_P(FaultMatrix, InstallTellsTheOperatorAndLeavesAKnownState)
{
    const FaultRow& row = GetParam();
    ASSERT_TRUE(MakePackages());
    std::wstring defaultBefore;
    if (row.queueOfTheModelsName) {
        ModelCatalogue first;
        ASSERT_TRUE(first.InstallPrinter(kOsIndex, kModelIndex, 0, "LPT1:"));
        ASSERT_EQ(first.printerName, kModel);
        messages_.clear();
    }
    defaultBefore = DefaultPrinter();
    if (!row.omit.empty()) {
        RemoveTree(workDir_ + L"\\Windows x64");
        RemoveTree(workDir_ + L"\\Windows NT x86");
        ASSERT_TRUE(MakePackages(row.omit));
    }
    ASSERT_NO_FATAL_FAILURE(AttachUsb(row.usb));
    ChosenSpooler spooler;
    spooler.noDriverDirectory = row.noDriverDirectory;
    spooler.refuseDriver = row.refuseDriver;
    spooler.refuseQueue = row.refuseQueue;
    ModelCatalogue catalogue(&spooler);

    EXPECT_EQ(RunInstallCommand(catalogue, row.interfaceIndex), row.result);

    EXPECT_EQ(MessageTexts(), row.messages);
    DriverRecord driver;
    EXPECT_EQ(FindDriver(L"Windows x64", kModel, driver), row.driverRegistered);
    const std::vector<QueueRecord> queues = LocalQueues();
    if (row.queue) {
        const QueueRecord* queue = FindQueue(queues, row.queue);
        ASSERT_NE(queue, nullptr) << testing::PrintToString(std::wstring(row.queue));
        EXPECT_EQ(queue->port, row.port);
        EXPECT_EQ(catalogue.printerName, row.queue);
        EXPECT_EQ(DefaultPrinter(), row.queue);
    } else {
        EXPECT_EQ(queues.size(), row.queueOfTheModelsName ? 1u : 0u);
        EXPECT_EQ(DefaultPrinter(), defaultBefore);
    }
    if (row.queueOfTheModelsName) {
        EXPECT_NE(FindQueue(queues, kModel), nullptr);
    }
    EXPECT_EQ(FilesIn(DriverDirectory(L"Windows x64")).size(), row.stagedLeft)
        << testing::PrintToString(FilesIn(DriverDirectory(L"Windows x64")));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(InstallRows()),
                         [](const ::testing::TestParamInfo<FaultRow>& row) { return std::string(row.param.name); });

// The port check: its box, its result, and what each printer received.
struct PortCheckRow {
    const char* name;
    Usb usb;
    bool result;
    bool summaryListsThePrinter;  // else the no-printer box
    bool printerReceivesItsNote;
    const wchar_t* trace;
};

void PrintTo(const PortCheckRow& row, std::ostream* os)
{
    *os << row.name;
}

class PortCheckFaultMatrix : public ::testing::TestWithParam<PortCheckRow> {
protected:
    void SetUp() override
    {
        g_win8OrLater = 0;
        g_reportLanguage = kLanguage;
        framework::SetMessageHandler([this](const std::wstring& text, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        for (DWORD waited = 0; PortReportJobsAlive() != 0 && waited < 5000; waited += 20) ::Sleep(20);
        ::Sleep(50);
        framework::SetMessageHandler({});
        if (attached_) {
            DetachUsbPrinter(printer_);
            DisconnectUsbDevice(printer_);
        }
        g_reportLanguage = 2052;
    }

    std::vector<std::wstring> boxes_;
    SimulatedUsbPrinter printer_;
    bool attached_ = false;
};

TEST_P(PortCheckFaultMatrix, TellsTheOperatorAndPrintsOnlyWhereItCan)
{
    const PortCheckRow& row = GetParam();
    UsbTraceCapture traces;
    if (row.usb != Usb::None) {
        printer_ = UsbPrinterOf(row.usb);
        attached_ = true;
        ASSERT_TRUE(AttachUsbPrinter(printer_));
        if (row.usb == Usb::Unopenable)
            DisconnectUsbDevice(printer_);
        else
            ASSERT_TRUE(ConnectUsbDevice(printer_));
    }

    EXPECT_EQ(ReportUsbPorts(kUsbPrintInterfaceClass), row.result);

    const std::wstring expected = row.summaryListsThePrinter ? SummaryHeader(kLanguage) + AddSummaryLine(L"", 1)
                                                             : NoPrinterText(kLanguage);
    EXPECT_EQ(boxes_, std::vector<std::wstring>{expected});
    EXPECT_TRUE(traces.WaitFor(row.trace, 1)) << testing::PrintToString(traces.Lines());
    if (row.usb == Usb::Unopenable) {
        EXPECT_EQ(UsbDeviceSize(printer_), 0u);
    } else if (row.usb != Usb::None) {
        const std::string note = win32::ToAnsi(ReportText(PrinterNote(kLanguage, 1)));
        if (row.printerReceivesItsNote) {
            ASSERT_TRUE(WaitForUsbDeviceSize(printer_, note.size()));
            for (DWORD waited = 0; PortReportJobsAlive() != 0 && waited < 5000; waited += 20) ::Sleep(20);
            EXPECT_EQ(ReadUsbDevice(printer_), note);
        } else {
            EXPECT_EQ(ReadUsbDevice(printer_), "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PortCheckFaultMatrix,
    ::testing::Values(PortCheckRow{"NoUsbPrinter", Usb::None, false, false, false, L"USB打印机没有接入设备"},
                      PortCheckRow{"DeviceDoesNotOpen", Usb::Unopenable, true, true, false,
                                   L"open usb device failed !"},
                      PortCheckRow{"NoPortNumber", Usb::NoPortNumber, false, false, false, L"read regkey failed"},
                      PortCheckRow{"Qualified", Usb::Qualified, true, true, true, L"print scuessful !"}),
    [](const ::testing::TestParamInfo<PortCheckRow>& row) { return std::string(row.param.name); });
