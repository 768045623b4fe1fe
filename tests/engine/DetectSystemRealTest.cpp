// The version Wine reports is fixed when a process starts, so each case runs the detection in a
// new process after choosing the prefix's Windows version.
#include "support/lib/ProgramRun.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct VersionCase {
    const wchar_t* wineVersion;
    const char* report;  // architecture, edition position, edition name
};

class DetectSystemUnderWine : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DetectSystemUnderWine, GivesTheMatchingEditionEntryAndX64)
{
    const std::wstring dir = testing_support::MakeScratchDir(L"detect");
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(testing_support::SetWindowsVersion(GetParam().wineVersion));
    const std::wstring out = dir + L"\\detected.txt";

    testing_support::ProgramRun run;
    ASSERT_TRUE(run.Start(testing_support::StandinPath(L"detect_system"), dir, L"\"" + out + L"\""));
    ASSERT_TRUE(run.WaitForExit(60000));
    EXPECT_EQ(run.ExitCode(), 0u);
    std::string report;
    ASSERT_TRUE(testing_support::ReadFileBytes(out, report));
    EXPECT_EQ(report, GetParam().report);
    testing_support::RemoveTree(dir);
}

INSTANTIATE_TEST_SUITE_P(Versions, DetectSystemUnderWine,
                         ::testing::Values(VersionCase{L"winxp", "x64\n1\nWindows XP\n"},
                                           VersionCase{L"win7", "x64\n4\nWindows 7\n"},
                                           VersionCase{L"win81", "x64\n6\nWindows 8.1\n"},
                                           VersionCase{L"win10", "x64\n7\nWindows 10\n"}),
                         [](const ::testing::TestParamInfo<VersionCase>& param) {
                             std::string name;
                             for (const wchar_t* p = param.param.wineVersion; *p; ++p) name += static_cast<char>(*p);
                             return name;
                         });

}  // namespace
