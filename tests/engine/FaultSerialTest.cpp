// Faults of the serial driver install, one row each: the operator is told nothing, the form's
// controls come back after five seconds, and the watch of the installer runs only while it can
// still lead somewhere. Against the stand-in installer, in a prefix of its own per row.
#include "ports/SerialDriver.h"

#include "framework/MessageBox.h"
#include "support/lib/SerialStandins.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

enum class SerialFault { SerialMapMissing, InstallerMissing, InstallerClosedEarly };

struct SerialFaultRow {
    const char* name;
    SerialFault fault;
    bool installerStarts;
    bool watchKeepsPolling;  // timer 2 still ticking at the end; false: stopped or never started
    bool watchStarted;
};

void PrintTo(const SerialFaultRow& row, std::ostream* os)
{
    *os << row.name;
}

class SerialFaultMatrix : public ::testing::TestWithParam<SerialFaultRow> {
protected:
    void SetUp() override
    {
        workDir_ = MakeScratchDir(L"serialfault");
        ASSERT_FALSE(workDir_.empty());
        log_ = workDir_ + L"\\installer.log";
        SetStandinLog(log_);
        ::SetEnvironmentVariableW(kStandinLifetimeVariable, L"20000");
        installerSeen = 0;
        framework::SetMessageHandler([this](const std::wstring& text, UINT) {
            messages_.push_back(text);
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

    std::wstring workDir_, log_, previousDirectory_;
    std::vector<std::wstring> messages_;
};

}  // namespace

TEST_P(SerialFaultMatrix, SaysNothingAndGivesTheFormBack)
{
    const SerialFaultRow& row = GetParam();
    InstallerBehaviour behaviour;
    behaviour.closeEarly = row.fault == SerialFault::InstallerClosedEarly;
    SetInstallerBehaviour(behaviour);
    if (row.fault != SerialFault::InstallerMissing) {
        ASSERT_TRUE(PlaceInstaller(workDir_, true));
    }
    if (row.fault == SerialFault::SerialMapMissing) {
        ASSERT_EQ(::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSerialMapKey), ERROR_SUCCESS);
    }

    SerialPortSnapshot before, after;
    TimerWindow window([&](HWND w, UINT_PTR id) {
        if (id == 2) WatchDriverInstaller(w, 1033, before, after);
        if (id == 1) ::KillTimer(w, 1);  // the options dialog's own tick; here only stopped
    });
    ASSERT_TRUE(::SetCurrentDirectoryW(workDir_.c_str()));
    const ULONGLONG startedAt = ::GetTickCount64();
    StartSerialDriverInstall(window.get(), L"x64", before);

    // Timer 1 gives the controls back five seconds on, whatever became of the installer.
    ASSERT_TRUE(window.PumpUntil([&] { return !window.Ticks(1).empty(); }, 9000));
    const ULONGLONG firstTick = window.Ticks(1).front() - startedAt;
    EXPECT_GE(firstTick, 4900u);
    EXPECT_LE(firstTick, 6500u);
    if (row.fault == SerialFault::InstallerClosedEarly) {
        ASSERT_TRUE(window.PumpUntil([&] { return !LogValue(log_, L"ended").empty(); }, 15000));
        ASSERT_TRUE(window.PumpUntil([&] { return installerSeen == 0 && !window.Ticks(2).empty(); }, 3000));
    }
    const size_t watchTicks = window.Ticks(2).size();
    window.PumpFor(1500);

    EXPECT_TRUE(messages_.empty()) << testing::PrintToString(messages_);
    EXPECT_EQ(!LogValue(log_, L"started").empty(), row.installerStarts);
    EXPECT_EQ(watchTicks > 0, row.watchStarted);
    EXPECT_EQ(window.Ticks(2).size() > watchTicks, row.watchKeepsPolling) << watchTicks;
    EXPECT_EQ(installerSeen, 0);
    EXPECT_EQ(after.count, 0) << "no port report without the installer's end";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SerialFaultMatrix,
    ::testing::Values(SerialFaultRow{"SerialMapMissing", SerialFault::SerialMapMissing, true, false, false},
                      // Its window never comes: the watch polls on for as long as the form is open.
                      SerialFaultRow{"InstallerNeverAppears", SerialFault::InstallerMissing, false, true, true},
                      SerialFaultRow{"InstallerClosedEarly", SerialFault::InstallerClosedEarly, true, false, true}),
    [](const ::testing::TestParamInfo<SerialFaultRow>& row) { return std::string(row.param.name); });
