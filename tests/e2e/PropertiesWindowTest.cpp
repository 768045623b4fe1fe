// After an install on "LPT1:" and Yes to the configure question: the printer's properties window
// through the stand-in rundll32 of the system folder, its third tab by the title of the user
// interface's language, and the end of the program five seconds after the launch.
#include "e2e/AppHarness.h"

#include "resource.h"
#include "support/lib/DriverPackages.h"
#include "support/lib/ProgramRun.h"
#include "support/lib/PropertiesStandins.h"
#include "support/lib/SerialStandins.h"
#include "support/lib/UiDriver.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct LanguageCase {
    const char* name;
    const wchar_t* locale;         // LANG and LC_ALL of the program, from which Wine takes its UI language
    const wchar_t* switchedTitle;  // the window whose third tab is selected; empty: none
};

// The program started under a Unix locale of its own. Wine takes a process's languages from the
// Unix environment it was started with, and a Windows child inherits its parent's, whatever its
// Windows environment says; a Unix program started through Wine gets the Windows environment as
// its Unix one. So the program is started by env(1), which starts Wine with the locale.
class ProgramUnderLocale {
public:
    ~ProgramUnderLocale()
    {
        if (process_) {
            if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 1);
            ::CloseHandle(process_);
        }
        if (!workDir.empty()) RemoveTree(workDir);
    }

    bool StartToForm(const std::wstring& locale)
    {
        workDir = MakeScratchDir(L"app-locale");
        if (workDir.empty() || !MakeDriverPackages(workDir) || !SetWindowsVersion(L"win7")) return false;
        for (const wchar_t* name : {L"Managed", L"Decorated"})
            ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", name, REG_SZ, L"N", 2 * sizeof(wchar_t));
        std::wstring command = L"\"Z:\\usr\\bin\\env\" LANG=" + locale + L" LC_ALL=" + locale +
                               L" /usr/bin/wine \"" + ProgramPath() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &startup,
                              &info))
            return false;
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        if (!PollUntil([&] { return (form = FindTopWindow(0, app_e2e::kFormTitle)) != nullptr; }, 30000)) return false;
        ::GetWindowThreadProcessId(form, &pid);
        process_ = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        return process_ != nullptr;
    }

    bool WaitForExit(DWORD ms) { return ::WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }

    std::wstring workDir;
    HWND form = nullptr;
    DWORD pid = 0;

private:
    HANDLE process_ = nullptr;
};

class PropertiesAfterInstall : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(PropertiesAfterInstall, SelectsTheThirdTabOfTheWindowOfTheLanguageAndEnds)
{
    const LanguageCase& c = GetParam();
    const std::wstring logDir = MakeScratchDir(L"properties-e2e");
    const std::wstring log = logDir + L"\\rundll32.log";
    SetStandinLog(log);
    ::SetEnvironmentVariableW(kStandinLifetimeVariable, L"20000");
    SetPropertiesTitles(L"both");
    ASSERT_TRUE(PlaceRundll32Standin());

    ProgramUnderLocale app;
    ASSERT_TRUE(app.StartToForm(c.locale));
    // Planted beside the package folders, where the search path of the elevated program looks first.
    ASSERT_TRUE(PlantRundll32(app.workDir));
    Click(app.form, IDC_MODEL_ROW3);
    Click(app.form, IDC_INTERFACE_OTHER);
    Click(app.form, IDC_START_INSTALL);
    MessageBoxSeen box;
    ASSERT_TRUE(WaitForMessageBox(app.pid, box, 30000));
    ASSERT_EQ(box.text, L"Bem sucedido!\nGostaria de configurar a impressora agora ?");
    ASSERT_TRUE(Answer(box, IDYES));

    ASSERT_TRUE(app.WaitForExit(15000)) << "the program does not end";
    const ULONGLONG endedAt = ::GetTickCount64();
    const auto entries = ReadStandinLog(log);
    ASSERT_EQ(entries.count(L"started"), 1u) << "rundll32 did not start";
    ASSERT_EQ(entries.at(L"started").size(), 1u) << "more than one rundll32";

    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(_wcsicmp(entries.at(L"module").front().c_str(), (std::wstring(system) + L"\\rundll32.exe").c_str()), 0)
        << ToUtf8(entries.at(L"module").front());
    const std::wstring parameters = L"printui.dll,PrintUIEntry /p /n \"TPR-80C\"";
    const std::wstring command = entries.at(L"command").front();
    ASSERT_GE(command.size(), parameters.size());
    EXPECT_EQ(command.substr(command.size() - parameters.size()), parameters) << ToUtf8(command);

    const ULONGLONG sinceLaunch = endedAt - std::stoull(entries.at(L"started").front());
    EXPECT_GE(sinceLaunch, 4000u);
    EXPECT_LE(sinceLaunch, 6500u);

    for (const std::wstring title : {L"TPR-80C Properties", L"TPR-80C 属性"}) {
        EXPECT_EQ(LoggedSelection(log, title), title == c.switchedTitle ? 2 : -1) << ToUtf8(title);
    }
    CloseWindowsTitled(L"TPR-80C Properties");
    CloseWindowsTitled(L"TPR-80C 属性");
}

INSTANTIATE_TEST_SUITE_P(Languages, PropertiesAfterInstall,
                         ::testing::Values(LanguageCase{"English", L"en_US.UTF-8", L"TPR-80C Properties"},
                                           LanguageCase{"Chinese", L"zh_CN.UTF-8", L"TPR-80C 属性"},
                                           LanguageCase{"German", L"de_DE.UTF-8", L""}),
                         [](const ::testing::TestParamInfo<LanguageCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
