// The program run with arguments, as a deployment system runs it: exit codes, the log, standard
// output and error, what the spooler holds afterwards, and that no window shows when quiet.
#include "e2e/AppHarness.h"
#include "e2e/UnattendedHarness.h"

#include "app/Unattended.h"
#include "resource.h"
#include "support/lib/SpoolerQueries.h"
#include "support/lib/UiDriver.h"
#include "support/lib/UsbSimulation.h"
#include "support/lib/WineHost.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <regex>

using namespace testing_support;
using cli_e2e::CliResult;
using cli_e2e::Lines;
using cli_e2e::UnattendedHarness;
using cli_e2e::Utf8;

namespace {

const char kConfigureQuestion[] = "Bem sucedido!\\nGostaria de configurar a impressora agora ?";

// A log line "<date> <time> [<pid>] <kind> <text>" with exactly this kind and text.
bool HasLogLine(const std::vector<std::string>& lines, const std::string& kind, const std::string& text)
{
    static const std::regex kLine(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+\] (\S+) +(.*)$)");
    for (const std::string& line : lines) {
        std::smatch match;
        if (std::regex_match(line, match, kLine) && match[1] == kind && match[2] == text) return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

bool DriverInstalled(const std::wstring& name)
{
    DriverRecord driver;
    return FindDriver(L"Windows x64", name, driver);
}

}  // namespace

TEST(Unattended, QuietInstallOnLpt1AsDefaultShowsNoWindowAndLogsEachStep)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());
    const CliResult run = cli.Run(L"/quiet /model TPR-80C /interface other /default /log x.log");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_TRUE(run.windowsSeen.empty()) << testing::PrintToString(run.windowsSeen);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    EXPECT_TRUE(DriverInstalled(L"TPR-80C"));
    const std::vector<QueueRecord> queues = LocalQueues();
    const QueueRecord* queue = FindQueue(queues, L"TPR-80C");
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->port, L"LPT1:");
    EXPECT_EQ(queue->driver, L"TPR-80C");
    EXPECT_EQ(DefaultPrinter(), L"TPR-80C");

    const std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
    const std::string all = Joined(log);
    EXPECT_TRUE(HasLogLine(log, "step", "Command line: VeltoPrinterDriverSetup /quiet /model TPR-80C /interface other "
                                        "/default /log x.log"))
        << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Install of TPR-80C, interface other, default printer yes.")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "System: Windows 7, x64.")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Port: LPT1:.")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Installing the printer driver TPR-80C and its printer on LPT1:.")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Printer TPR-80C on LPT1: with the driver TPR-80C.")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Default printer: TPR-80C.")) << all;
    // The form's question, answered No: no properties window opens for nobody.
    EXPECT_TRUE(HasLogLine(log, "message", std::string(kConfigureQuestion) + " -> No (unattended)")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Finished: exit code 0 (success).")) << all;
    EXPECT_EQ(log.back().substr(log.back().find(']')), "] step    Finished: exit code 0 (success).");
}

TEST(Unattended, InvalidArgumentsExit87InstallNothingAndSayWhy)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());
    const struct {
        const wchar_t* arguments;
        const char* why;
    } cases[] = {
        {L"/quiet /model TPR-90 /log x.log",
         "Unknown model \"TPR-90\"; the models are RK-M5T, DV-N8, HS-e07, TPR-80C, RK-M7, HS-e06, RK-M6."},
        {L"/quiet /model TPR-80C /silent /log x.log", "Unknown switch \"/silent\"."},
        {L"/quiet /log x.log /model", "The switch /model needs a value."},
        {L"/quiet /log x.log /default", "An install needs /model NAME."},
        // Not quiet, but with somewhere to write: the reason goes there, and no box waits.
        {L"/model TPR-80C /interface serial /log x.log", "Unknown interface \"serial\": use usb or other."},
    };
    for (const auto& c : cases) {
        const CliResult run = cli.Run(c.arguments);
        const std::string label = Utf8(c.arguments);
        ASSERT_TRUE(run.ended) << label;
        EXPECT_EQ(run.exitCode, 87u) << label;
        EXPECT_TRUE(run.windowsSeen.empty()) << label << ": " << testing::PrintToString(run.windowsSeen);
        EXPECT_EQ(run.err, std::string(c.why) + " VeltoPrinterDriverSetup /? shows the usage.\r\n") << label;
        const std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
        EXPECT_TRUE(HasLogLine(log, "error", std::string(c.why) + " VeltoPrinterDriverSetup /? shows the usage."))
            << label << "\n" << Joined(log);
        EXPECT_TRUE(HasLogLine(log, "step", "Finished: exit code 87 (invalid arguments).")) << label;
    }
    EXPECT_TRUE(LocalQueues().empty() || !FindQueue(LocalQueues(), L"TPR-80C"));
    EXPECT_FALSE(DriverInstalled(L"TPR-80C"));
    EXPECT_FALSE(DriverInstalled(L"TPR-90"));

    const CliResult usage = cli.Run(L"/?");
    EXPECT_EQ(usage.exitCode, 0u);
    EXPECT_NE(usage.out.find("VeltoPrinterDriverSetup /model NAME [/interface usb|other] [/default] [/quiet] [/log FILE]"),
              std::string::npos)
        << usage.out;
    EXPECT_TRUE(usage.windowsSeen.empty()) << testing::PrintToString(usage.windowsSeen);
}

TEST(Unattended, MissingPackageFolderExits1603WithTheStagingFailureInTheLog)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare(L"win10", {L"Windows x64"}));
    const CliResult run = cli.Run(L"/quiet /model TPR-80C /interface other /log x.log");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1603u);
    EXPECT_TRUE(run.windowsSeen.empty()) << testing::PrintToString(run.windowsSeen);
    EXPECT_FALSE(DriverInstalled(L"TPR-80C"));
    EXPECT_EQ(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);

    const std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
    const std::string all = Joined(log);
    // Windows 10 preselects the first edition radio, whose failure text has no hint.
    EXPECT_TRUE(HasLogLine(log, "message", "Malfunction ! -> OK (unattended)")) << all;
    EXPECT_TRUE(HasLogLine(log, "message", Utf8(L"Falha na instalação ! -> OK (unattended)"))) << all;
    // The program's own traces say which copy failed.
    EXPECT_NE(all.find("] trace   "), std::string::npos) << all;
    EXPECT_NE(all.find("Windows x64\\POS80.DLL"), std::string::npos) << all;
    EXPECT_TRUE(HasLogLine(log, "error", "The install of TPR-80C failed: Malfunction !")) << all;
    EXPECT_TRUE(HasLogLine(log, "step", "Finished: exit code 1603 (failed).")) << all;
    EXPECT_EQ(run.err, "The install of TPR-80C failed: Malfunction !\r\n");
}

TEST(Unattended, UsbPrinterOnPort2IsDetectedAndInstalledOn)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());
    SimulatedUsbPrinter printer;
    printer.portNumber = 2;
    ASSERT_TRUE(AttachUsbPrinter(printer));
    // A printer of a maker that is not listed is not reported.
    SimulatedUsbPrinter unlisted;
    unlisted.hardwareId = L"VID_04B8&PID_0202";
    unlisted.instance = L"5&def&0&2";
    unlisted.portNumber = 1;
    ASSERT_TRUE(AttachUsbPrinter(unlisted));

    const CliResult detect = cli.Run(L"/detect /log x.log");
    ASSERT_TRUE(detect.ended);
    EXPECT_EQ(detect.exitCode, 0u) << detect.err;
    EXPECT_EQ(detect.out, "USB002\r\n");
    EXPECT_EQ(detect.err, "");
    EXPECT_TRUE(detect.windowsSeen.empty()) << testing::PrintToString(detect.windowsSeen);
    std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
    EXPECT_TRUE(HasLogLine(log, "step", "USB printer port: USB002 (" + Utf8(UsbDevicePath(printer)) + ").")) << Joined(log);
    // Detection prints nothing and installs nothing.
    EXPECT_TRUE(ReadUsbDevice(printer).empty());
    EXPECT_FALSE(DriverInstalled(L"TPR-80C"));

    const CliResult install = cli.Run(L"/quiet /model TPR-80C /log x.log");
    ASSERT_TRUE(install.ended);
    EXPECT_EQ(install.exitCode, 0u) << install.err;
    const std::vector<QueueRecord> queues = LocalQueues();
    const QueueRecord* queue = FindQueue(queues, L"TPR-80C");
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->port, L"USB002");
    log = Lines(cli.ReadFile(L"x.log"));
    EXPECT_TRUE(HasLogLine(log, "step", "Port: USB002, the first attached USB printer of a listed maker.")) << Joined(log);
    // The test page question, answered No: nothing is printed on a till nobody watches.
    EXPECT_TRUE(HasLogLine(log, "message", "Bem sucedido!\\nSe quer imprimir a p\xC3\xA1gina de teste ? -> No (unattended)"))
        << Joined(log);

    DetachUsbPrinter(printer);
    DetachUsbPrinter(unlisted);
    const CliResult none = cli.Run(L"/detect");
    EXPECT_EQ(none.exitCode, 0u);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "No USB printer of a listed maker is attached.\r\n");
}

TEST(Unattended, RemoveDeletesQueueAndDriverThenFindsNothingToRemove)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());
    ASSERT_EQ(cli.Run(L"/quiet /model TPR-80C /interface other /default").exitCode, 0u);
    ASSERT_TRUE(DriverInstalled(L"TPR-80C"));

    const CliResult remove = cli.Run(L"/quiet /remove /model TPR-80C /log x.log");
    ASSERT_TRUE(remove.ended);
    EXPECT_EQ(remove.exitCode, 0u) << remove.err;
    EXPECT_TRUE(remove.windowsSeen.empty()) << testing::PrintToString(remove.windowsSeen);
    EXPECT_EQ(remove.out, "The printer driver TPR-80C and the printers that used it are removed.\r\n");
    EXPECT_EQ(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);
    EXPECT_FALSE(DriverInstalled(L"TPR-80C"));
    std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
    EXPECT_TRUE(HasLogLine(log, "step", "Deleted the printer TPR-80C.")) << Joined(log);
    EXPECT_TRUE(HasLogLine(log, "step", "Deleted the printer driver TPR-80C (Windows x64, version 3).")) << Joined(log);
    EXPECT_NE(Joined(log).find("] step    Deleted the driver file C:\\windows\\system32\\spool\\drivers\\x64\\3\\"),
              std::string::npos)
        << Joined(log);

    const CliResult again = cli.Run(L"/quiet /remove /model TPR-80C /log x.log");
    ASSERT_TRUE(again.ended);
    EXPECT_EQ(again.exitCode, 0u) << again.err;
    EXPECT_EQ(again.out, "Nothing to remove: the printer driver TPR-80C is not installed.\r\n");
    EXPECT_EQ(again.err, "");
    log = Lines(cli.ReadFile(L"x.log"));
    EXPECT_EQ(log.back().substr(log.back().find(']')), "] step    Finished: exit code 0 (success).");
}

TEST(Unattended, SecondInstanceDuringARunExits1618)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());

    // A run elsewhere holds the lock.
    {
        win32::UniqueKernelHandle held(::CreateMutexW(nullptr, TRUE, kUnattendedMutexName));
        ASSERT_TRUE(held);
        const CliResult run = cli.Run(L"/quiet /model TPR-80C /interface other /log x.log");
        EXPECT_EQ(run.exitCode, 1618u);
        EXPECT_EQ(run.err, "Another instance of VeltoPrinterDriverSetup is installing or removing; try again when it "
                           "has finished.\r\n");
        EXPECT_FALSE(DriverInstalled(L"TPR-80C"));
        EXPECT_TRUE(HasLogLine(Lines(cli.ReadFile(L"x.log")), "step",
                               "Finished: exit code 1618 (another instance is running)."));
        ::ReleaseMutex(held.get());
    }

    // A real first run, not quiet: the form's question shows without the form, and the lock is
    // held while it waits for an answer.
    ProgramRun first;
    ASSERT_TRUE(first.Start(ProgramPath(), cli.workDir, L"/model TPR-80C /interface other /log first.log"));
    MessageBoxSeen box;
    ASSERT_TRUE(WaitForMessageBox(first.Id(), box));
    EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(box.text, L"Bem sucedido!\nGostaria de configurar a impressora agora ?");
    EXPECT_EQ(FindTopWindow(first.Id(), app_e2e::kFormTitle), nullptr);

    const CliResult second = cli.Run(L"/quiet /remove /model TPR-80C /log second.log");
    EXPECT_EQ(second.exitCode, 1618u);
    EXPECT_TRUE(DriverInstalled(L"TPR-80C"));  // the second run removed nothing

    ASSERT_TRUE(Answer(box, IDNO));
    ASSERT_TRUE(first.WaitForExit(20000));
    EXPECT_EQ(first.ExitCode(), 0u);
    const std::vector<std::string> log = Lines(cli.ReadFile(L"first.log"));
    EXPECT_TRUE(HasLogLine(log, "message", kConfigureQuestion)) << Joined(log);
    EXPECT_TRUE(HasLogLine(log, "answer", "No")) << Joined(log);

    // Once the first has ended, the lock is free again.
    EXPECT_EQ(cli.Run(L"/quiet /remove /model TPR-80C").exitCode, 0u);
}

TEST(Unattended, WithoutQuietAYesToTheConfigureQuestionOpensThePropertiesAndEnds)
{
    UnattendedHarness cli;
    ASSERT_TRUE(cli.Prepare());
    ProgramRun run;
    ASSERT_TRUE(run.Start(ProgramPath(), cli.workDir, L"/model TPR-80C /interface other /log x.log"));
    MessageBoxSeen box;
    ASSERT_TRUE(WaitForMessageBox(run.Id(), box));
    EXPECT_EQ(box.text, L"Bem sucedido!\nGostaria de configurar a impressora agora ?");
    const ULONGLONG answered = ::GetTickCount64();
    ASSERT_TRUE(Answer(box, IDYES));
    // As after the form: the properties window is asked for, and the program ends 5 s later.
    ASSERT_TRUE(run.WaitForExit(20000));
    EXPECT_GE(::GetTickCount64() - answered, 4500u);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(FindTopWindow(run.Id(), app_e2e::kFormTitle), nullptr);
    const std::vector<std::string> log = Lines(cli.ReadFile(L"x.log"));
    EXPECT_TRUE(HasLogLine(log, "answer", "Yes")) << Joined(log);
    EXPECT_TRUE(HasLogLine(log, "step", "Opening the properties of TPR-80C.")) << Joined(log);
    EXPECT_NE(Joined(log).find("printui.dll,PrintUIEntry /p /n \"TPR-80C\""), std::string::npos) << Joined(log);
}

TEST(Unattended, NoArgumentsStillOpensTheForm)
{
    app_e2e::AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    EXPECT_TRUE(ControlVisible(app.form, IDC_START_INSTALL));
    Click(app.form, IDC_EXIT);
    EXPECT_TRUE(app.program.WaitForExit(10000));
}
