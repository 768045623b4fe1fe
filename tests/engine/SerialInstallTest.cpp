// The serial driver install against the stand-in installer, in a prefix of its own per test: the
// launch, the watch of the installer's window on timer 2, the registry reads and the report.
#include "ports/SerialDriver.h"

#include "framework/MessageBox.h"
#include "support/lib/SerialStandins.h"
#include "support/lib/WineHost.h"
#include "win32/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace testing_support;

class SerialInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        workDir_ = MakeScratchDir(L"serial");
        ASSERT_FALSE(workDir_.empty());
        log_ = workDir_ + L"\\installer.log";
        SetStandinLog(log_);
        ::SetEnvironmentVariableW(kStandinLifetimeVariable, L"20000");
        installerSeen = 0;
        framework::SetMessageHandler([this](const std::wstring& text, UINT type) {
            messages_.push_back(text);
            types_.push_back(type);
            return IDOK;
        });
        previousDirectory_.resize(::GetCurrentDirectoryW(0, nullptr) + 1);
        previousDirectory_.resize(::GetCurrentDirectoryW(static_cast<DWORD>(previousDirectory_.size()),
                                                         &previousDirectory_[0]));
    }

    void TearDown() override
    {
        CloseWindowsTitled(kInstallerWindowTitle);
        ::SetCurrentDirectoryW(previousDirectory_.c_str());
        framework::SetMessageHandler({});
    }

    // Starts the install from workDir (or dir) on a window of the test's own that dispatches the
    // ticks as the options dialog does, then pumps until done() or timeoutMs.
    void Start(TimerWindow& window, const std::wstring& archName, const std::wstring& dir = {})
    {
        ASSERT_TRUE(::SetCurrentDirectoryW((dir.empty() ? workDir_ : dir).c_str())) << ::GetLastError();
        startedAt_ = ::GetTickCount64();
        StartSerialDriverInstall(window.get(), archName, before_);
    }

    TimerWindow::TickHandler Ticks(int languageId)
    {
        return [this, languageId](HWND window, UINT_PTR id) {
            if (id == 2) WatchDriverInstaller(window, languageId, before_, after_);
            if (id == 1) ::KillTimer(window, 1);  // the options dialog's own tick; here only stopped
        };
    }

    bool InstallerStarted() const { return !LogValue(log_, L"started").empty(); }
    bool InstallerReachedItsEnd() const { return !LogValue(log_, L"final").empty(); }

    std::wstring workDir_, log_, previousDirectory_;
    SerialPortSnapshot before_, after_;
    std::vector<std::wstring> messages_;
    std::vector<UINT> types_;
    ULONGLONG startedAt_ = 0;
};

std::wstring LongForm(const std::wstring& path)
{
    std::wstring buffer(32768, L'\0');
    const DWORD n = ::GetLongPathNameW(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return path;
    buffer.resize(n);
    return buffer;
}

struct ReportCase {
    const char* name;
    const wchar_t* newPorts;
    const wchar_t* instancePorts;
    int languageId;
    bool reported;
    const wchar_t* text;
};

class SerialInstallReport : public SerialInstall, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(SerialInstallReport, TellsTheComPortsTheDriverCreated)
{
    const ReportCase& c = GetParam();
    InstallerBehaviour behaviour;
    behaviour.newPorts = c.newPorts;
    behaviour.instancePorts = c.instancePorts;
    SetInstallerBehaviour(behaviour);
    ASSERT_TRUE(PlaceInstaller(workDir_, true));
    const int portsBefore = SerialMapValueCount();
    ASSERT_GE(portsBefore, 0);

    TimerWindow window(Ticks(c.languageId));
    Start(window, L"x64");
    EXPECT_EQ(before_.count, portsBefore);
    ASSERT_TRUE(window.PumpUntil([&] { return InstallerReachedItsEnd(); }, 15000));
    // The report comes 1 s after the tick that finds the final dialog; allow for a slow start.
    window.PumpUntil([&] { return !messages_.empty(); }, 4000);
    const size_t watchTicks = window.Ticks(2).size();
    window.PumpFor(1200);

    if (c.reported) {
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0], c.text);
        EXPECT_EQ(types_[0], static_cast<UINT>(MB_OK));
    } else {
        EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : ToUtf8(messages_[0]));
    }
    EXPECT_EQ(window.Ticks(2).size(), watchTicks) << "the watch goes on after the installer's end";
    EXPECT_EQ(installerSeen, 1) << "the installer's window is still there";
    EXPECT_EQ(after_.count, SerialMapValueCount());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SerialInstallReport,
    ::testing::Values(
        ReportCase{"OnePortOneInstance", L"COM7", L"COM7", 1033, true, L"The created COM port is:COM7;"},
        ReportCase{"Chinese", L"COM7", L"COM7", 2052, true, L"生成的虚拟串口是：COM7;"},
        ReportCase{"TwoInstancesOnOnePort", L"COM7", L"COM7,COM7", 1033, true,
                   L"The created COM port is:COM7;COM7;"},
        ReportCase{"TwoPortsInTheMapsOrder", L"COM7,COM8", L"COM8,COM7", 1033, true,
                   L"The created COM port is:COM7;COM8;"},
        ReportCase{"InstanceWithoutPortNameFirst", L"COM7", L"-,COM7", 1033, true, L"The created COM port is:COM7;"},
        ReportCase{"PortOfNoInstance", L"COM7", L"none", 1033, true, L"The created COM port is:"},
        ReportCase{"PortOfAnotherInstance", L"COM7", L"COM9", 1033, true, L"The created COM port is:"},
        ReportCase{"NoNewPort", L"none", L"COM7", 1033, false, L""}),
    [](const ::testing::TestParamInfo<ReportCase>& param) { return std::string(param.param.name); });

TEST_F(SerialInstall, ReportsNothingWhenTheInstallerClosesBeforeItsEnd)
{
    InstallerBehaviour behaviour;
    behaviour.closeEarly = true;
    SetInstallerBehaviour(behaviour);
    ASSERT_TRUE(PlaceInstaller(workDir_, true));

    TimerWindow window(Ticks(1033));
    Start(window, L"x64");
    ASSERT_TRUE(window.PumpUntil([&] { return !LogValue(log_, L"ended").empty(); }, 15000));
    ASSERT_TRUE(window.PumpUntil([&] { return installerSeen == 0 && !window.Ticks(2).empty(); }, 3000));
    const size_t watchTicks = window.Ticks(2).size();
    window.PumpFor(1500);

    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(installerSeen, 0);
    EXPECT_EQ(window.Ticks(2).size(), watchTicks) << "the watch goes on after the installer has gone";
    EXPECT_EQ(after_.count, 0) << "no second snapshot is taken";
}

TEST_F(SerialInstall, DisablesStartInstallAndGivesTheFormBackAfterFiveSeconds)
{
    SetInstallerBehaviour({});
    ASSERT_TRUE(PlaceInstaller(workDir_, true));
    TimerWindow window(Ticks(1033));
    Start(window, L"x64");

    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window.get(), 1019)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window.get(), 1020)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window.get(), 1027)));
    EXPECT_TRUE(InstallerStarted() || window.PumpUntil([&] { return InstallerStarted(); }, 10000));

    ASSERT_TRUE(window.PumpUntil([&] { return !window.Ticks(1).empty(); }, 8000));
    const ULONGLONG firstTick = window.Ticks(1).front() - startedAt_;
    EXPECT_GE(firstTick, 4900u);
    EXPECT_LE(firstTick, 6500u);
    // The watch runs every 500 ms until the final dialog, which comes 1.5 s after the start.
    ASSERT_GE(window.Ticks(2).size(), 2u);
    const ULONGLONG interval = window.Ticks(2)[1] - window.Ticks(2)[0];
    EXPECT_GE(interval, 400u);
    EXPECT_LE(interval, 1700u);
}

TEST_F(SerialInstall, LaunchesTheInstallerWithoutTheWatchWhenThereIsNoSerialMap)
{
    SetInstallerBehaviour({});
    ASSERT_TRUE(PlaceInstaller(workDir_, true));
    ASSERT_EQ(::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSerialMapKey), ERROR_SUCCESS);
    before_.count = 3;
    before_.ports[0] = L"kept";

    TimerWindow window(Ticks(1033));
    Start(window, L"x64");
    EXPECT_EQ(before_.count, 3) << "a snapshot that could not be taken stays as it was";
    EXPECT_EQ(before_.ports[0], L"kept");
    ASSERT_TRUE(window.PumpUntil([&] { return InstallerReachedItsEnd(); }, 15000));
    window.PumpFor(2000);
    EXPECT_TRUE(window.Ticks(2).empty()) << "the watch must not start";
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window.get(), 1019)));
}

struct ArchCase {
    const char* name;
    const wchar_t* archName;
    bool x64;
};

class SerialInstallerChoice : public SerialInstall, public ::testing::WithParamInterface<ArchCase> {};

TEST_P(SerialInstallerChoice, StartsTheInstallerOfTheArchitectureInItsFolder)
{
    const ArchCase& c = GetParam();
    SetInstallerBehaviour({});
    ASSERT_TRUE(PlaceInstaller(workDir_, true));
    ASSERT_TRUE(PlaceInstaller(workDir_, false));
    TimerWindow window(Ticks(1033));
    Start(window, c.archName);
    ASSERT_TRUE(window.PumpUntil([&] { return InstallerStarted(); }, 10000));

    const auto log = ReadStandinLog(log_);
    ASSERT_EQ(log.at(L"started").size(), 1u) << "one installer only";
    const std::wstring folder = workDir_ + (c.x64 ? L"\\Windows x64" : L"\\Windows NT x86");
    const std::wstring program = folder + (c.x64 ? L"\\DPInst64.exe" : L"\\DPInst32.exe");
    EXPECT_EQ(_wcsicmp(log.at(L"module").front().c_str(), program.c_str()), 0) << log.at(L"module").front();
    EXPECT_EQ(_wcsicmp(log.at(L"directory").front().c_str(), folder.c_str()), 0) << log.at(L"directory").front();
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialInstallerChoice,
                         ::testing::Values(ArchCase{"x64", L"x64", true}, ArchCase{"x86", L"x86", false},
                                           ArchCase{"Itanium", L"Intel Itanium-based", false},
                                           ArchCase{"UnknownArchitecture", L"Unknown architecture", false},
                                           ArchCase{"Unknown", L"Unknown", false},
                                           ArchCase{"UpperCaseX64", L"X64", false}),
                         [](const ::testing::TestParamInfo<ArchCase>& param) { return std::string(param.param.name); });

TEST_F(SerialInstall, NamesTheInstallerBesideACurrentDirectoryLongerThan256Characters)
{
    // A 256-unit buffer would come back empty here and name "\\Windows x64\\DPInst64.exe" on the
    // root of the drive instead. 257 units: longer than that buffer, and still within what a
    // current directory may be (MAX_PATH less the terminator and a trailing backslash).
    std::wstring deep = workDir_;
    while (deep.size() < 257) {
        deep += L"\\" + std::wstring(std::min<size_t>(40, 257 - deep.size() - 1), L'p');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << ::GetLastError();
    }
    ASSERT_EQ(deep.size(), 257u);
    SetInstallerBehaviour({});
    ASSERT_TRUE(PlaceInstaller(deep, true));
    std::vector<std::wstring> traces;
    win32::SetTraceListener([&](const std::wstring& text) { traces.push_back(text); });

    TimerWindow window(Ticks(1033));
    Start(window, L"x64", deep);
    win32::SetTraceListener({});

    const std::wstring expected = L"Starting the serial port driver installer " + deep + L"\\Windows x64\\DPInst64.exe";
    EXPECT_NE(std::find(traces.begin(), traces.end(), expected), traces.end())
        << (traces.empty() ? std::string("no trace") : ToUtf8(traces.front()));
    // The program's path passes MAX_PATH, so it is handed over in its short form. Wine 8 does not
    // start programs from such folders even then (CreateProcess fails with 3), so the start
    // itself is seen only where the system can.
    if (window.PumpUntil([&] { return InstallerStarted(); }, 3000)) {
        const std::wstring module = LongForm(LogValue(log_, L"module"));
        EXPECT_EQ(_wcsicmp(module.c_str(), (deep + L"\\Windows x64\\DPInst64.exe").c_str()), 0) << ToUtf8(module);
    }
}

}  // namespace
