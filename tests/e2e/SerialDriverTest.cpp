// The serial driver branch of "Instalar Agora" end to end: the hidden driver-kind radio chosen by
// message, the stand-in installer in the working folder, the COM port report and the form given
// back by timer 1.
#include "e2e/AppHarness.h"

#include "resource.h"
#include "support/lib/SerialStandins.h"
#include "support/lib/UiDriver.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

using namespace testing_support;
using app_e2e::AppHarness;

namespace {

class SerialDriverBranch : public ::testing::Test {
protected:
    void SetUp() override
    {
        logDir_ = MakeScratchDir(L"serial-e2e");
        ASSERT_FALSE(logDir_.empty());
        log_ = logDir_ + L"\\installer.log";
        SetStandinLog(log_);
        ::SetEnvironmentVariableW(kStandinLifetimeVariable, L"20000");
    }
    void TearDown() override { CloseWindowsTitled(kInstallerWindowTitle); }

    // Up to the click on "Instalar Agora" with the serial driver chosen and a model picked.
    void StartSerialInstall(AppHarness& app, const InstallerBehaviour& behaviour)
    {
        SetInstallerBehaviour(behaviour);
        ASSERT_TRUE(app.StartToForm());
        ASSERT_TRUE(PlaceInstaller(app.workDir, true));
        ASSERT_FALSE(ControlVisible(app.form, IDC_SERIAL_DRIVER)) << "the form as shipped hides the choice";
        Click(app.form, IDC_MODEL_ROW3);
        Click(app.form, IDC_SERIAL_DRIVER);
        ASSERT_TRUE(PollUntil([&] { return ControlChecked(app.form, IDC_SERIAL_DRIVER); }));
        ASSERT_TRUE(ControlChecked(app.form, IDC_MODEL_ROW3));
        clickedAt_ = ::GetTickCount64();
        Click(app.form, IDC_START_INSTALL);
    }

    std::wstring logDir_, log_;
    ULONGLONG clickedAt_ = 0;
};

TEST_F(SerialDriverBranch, ReportsTheCreatedComPortAndGivesTheFormBackAfterFiveSeconds)
{
    AppHarness app;
    StartSerialInstall(app, {});
    ASSERT_TRUE(PollUntil([&] { return !ControlEnabled(app.form, IDC_START_INSTALL); }, 3000));
    EXPECT_TRUE(ControlEnabled(app.form, IDC_EXIT)) << "Exit stays available during the install";

    const MessageBoxSeen box = app.NextMessage(15000);
    ASSERT_TRUE(box.window) << "no report";
    EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(box.text, L"The created COM port is:COM7;");
    const std::wstring module = LogValue(log_, L"module");
    EXPECT_EQ(_wcsicmp(module.c_str(), (app.workDir + L"\\Windows x64\\DPInst64.exe").c_str()), 0) << ToUtf8(module);
    EXPECT_EQ(_wcsicmp(LogValue(log_, L"directory").c_str(), (app.workDir + L"\\Windows x64").c_str()), 0);
    ASSERT_TRUE(Answer(box, IDOK));

    ASSERT_TRUE(PollUntil([&] { return ControlEnabled(app.form, IDC_START_INSTALL); }, 8000));
    const ULONGLONG givenBack = ::GetTickCount64() - clickedAt_;
    EXPECT_GE(givenBack, 4800u);
    EXPECT_LE(givenBack, 7000u);
    for (int id : {IDC_EXIT, IDC_DETECT_USB_PORT, IDC_MODEL_ROW0, IDC_MODEL_ROW3, IDC_MODEL_ROW6, IDC_SET_DEFAULT})
        EXPECT_TRUE(ControlEnabled(app.form, id)) << id;
    EXPECT_TRUE(NoMessageBoxWithin(app.Pid(), 1500)) << "a second report";
    EXPECT_TRUE(app.program.Running()) << "the form stays open";
}

TEST_F(SerialDriverBranch, SaysNothingWhenTheInstallerEndsWithoutANewPortOrGoesEarly)
{
    for (const bool closeEarly : {false, true}) {
        AppHarness app;
        InstallerBehaviour behaviour;
        behaviour.newPorts = L"none";
        behaviour.closeEarly = closeEarly;
        ::DeleteFileW(log_.c_str());
        StartSerialInstall(app, behaviour);
        ASSERT_TRUE(PollUntil([&] { return !LogValue(log_, closeEarly ? L"ended" : L"final").empty(); }, 15000));
        EXPECT_TRUE(NoMessageBoxWithin(app.Pid(), 3000)) << closeEarly;
        EXPECT_TRUE(app.program.Running());
        CloseWindowsTitled(kInstallerWindowTitle);
    }
}

}  // namespace
