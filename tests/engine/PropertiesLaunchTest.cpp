// Opening the printer's properties window through the stand-in rundll32 in this prefix's system
// folder, and switching it to its third tab from the main window's timers.
#include "ports/PrinterProperties.h"

#include "support/lib/PropertiesStandins.h"
#include "support/lib/SerialStandins.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

std::wstring SystemDirectory()
{
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n < MAX_PATH ? n : 0);
}

struct LaunchCase {
    const char* name;
    const wchar_t* printerName;
    int uiLanguageId;
    const wchar_t* titles;       // windows the stand-in opens
    const wchar_t* switchedTitle;  // the one whose third tab gets selected; empty: none
};

class PropertiesLaunch : public ::testing::TestWithParam<LaunchCase> {
protected:
    void SetUp() override
    {
        workDir_ = MakeScratchDir(L"properties");
        ASSERT_FALSE(workDir_.empty());
        log_ = workDir_ + L"\\rundll32.log";
        SetStandinLog(log_);
        ::SetEnvironmentVariableW(kStandinLifetimeVariable, L"20000");
        ASSERT_TRUE(PlaceRundll32Standin());
        // A rundll32.exe in the current directory, which the search path of an elevated process
        // would find first.
        plantedDir_ = MakeScratchDir(L"planted");
        ASSERT_TRUE(PlantRundll32(plantedDir_));
        wchar_t previous[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        previousDirectory_ = previous;
        ASSERT_TRUE(::SetCurrentDirectoryW(plantedDir_.c_str()));
    }
    void TearDown() override { ::SetCurrentDirectoryW(previousDirectory_.c_str()); }

    std::wstring workDir_, log_, plantedDir_, previousDirectory_;
};

TEST_P(PropertiesLaunch, OpensThePrintersPropertiesOnTheThirdTabAndEndsFiveSecondsLater)
{
    const LaunchCase& c = GetParam();
    SetPropertiesTitles(c.titles);
    const std::wstring name = c.printerName;

    ULONGLONG endedAt = 0;
    TimerWindow main([&](HWND window, UINT_PTR id) {
        if (id == 2) SelectPortsTab(window, c.uiLanguageId, name);
        if (id == 3) {
            ::KillTimer(window, 3);
            endedAt = ::GetTickCount64();
        }
    });
    const ULONGLONG calledAt = ::GetTickCount64();
    OpenPrinterProperties(main.get(), name);
    const ULONGLONG returnedAt = ::GetTickCount64();
    EXPECT_GE(returnedAt - calledAt, 90u) << "the launch waits 100 ms first";
    ASSERT_TRUE(main.PumpUntil([&] { return endedAt != 0; }, 9000));
    const size_t selectTicks = main.Ticks(2).size();
    main.PumpFor(500);

    const auto log = ReadStandinLog(log_);
    ASSERT_EQ(log.count(L"module"), 1u) << "rundll32 did not start";
    ASSERT_EQ(log.at(L"module").size(), 1u) << "one rundll32 only";
    EXPECT_EQ(_wcsicmp(log.at(L"module").front().c_str(), (SystemDirectory() + L"\\rundll32.exe").c_str()), 0)
        << log.at(L"module").front();
    const std::wstring parameters = L"printui.dll,PrintUIEntry /p /n \"" + name + L"\"";
    const std::wstring command = log.at(L"command").front();
    ASSERT_GE(command.size(), parameters.size());
    EXPECT_EQ(command.substr(command.size() - parameters.size()), parameters) << command;

    // Timer 3 counts from the launch; the stand-in starts a moment after it.
    const ULONGLONG launchedAt = std::stoull(log.at(L"started").front());
    EXPECT_GE(endedAt - returnedAt, 4900u);
    EXPECT_LE(endedAt - returnedAt, 5600u);
    EXPECT_LE(endedAt - launchedAt, 5600u);

    const std::wstring english = name + L" Properties", chinese = name + L" 属性";
    const std::wstring windowsAt = [&] {
        std::wstring text;
        for (const std::wstring& value : log.count(L"shown") ? log.at(L"shown") : std::vector<std::wstring>())
            text += L" " + std::to_wstring(std::stoull(value) - returnedAt);
        return text;
    }();
    for (const std::wstring& title : {english, chinese}) {
        EXPECT_EQ(LoggedSelection(log_, title), title == c.switchedTitle ? 2 : -1)
            << ToUtf8(title) << ", windows shown at (ms after the launch):" << ToUtf8(windowsAt);
    }
    if (!std::wstring(c.switchedTitle).empty()) {
        EXPECT_EQ(main.Ticks(2).size(), selectTicks) << "the search goes on after it was done";
    } else if (c.uiLanguageId != 1033 && c.uiLanguageId != 2052) {
        EXPECT_EQ(selectTicks, 1u) << "an unknown language gives up at the first tick";
    } else {
        EXPECT_GT(main.Ticks(2).size(), selectTicks) << "the search stops before the window is there";
    }
    CloseWindowsTitled(english);
    CloseWindowsTitled(chinese);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertiesLaunch,
    ::testing::Values(LaunchCase{"English", L"TPR-80C", 1033, L"both", L"TPR-80C Properties"},
                      LaunchCase{"Chinese", L"TPR-80C", 2052, L"both", L"TPR-80C 属性"},
                      LaunchCase{"CopyNumberedName", L"TPR-80C (Copy 1)", 1033, L"en", L"TPR-80C (Copy 1) Properties"},
                      LaunchCase{"ChineseWithoutItsWindow", L"TPR-80C", 2052, L"en", L""},
                      LaunchCase{"OtherLanguage", L"TPR-80C", 1031, L"both", L""}),
    [](const ::testing::TestParamInfo<LaunchCase>& param) { return std::string(param.param.name); });

}  // namespace
