#include "install/DriverPackage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(InstallDecisions, DependentFilesAreFourNulEndedNamesThenThreeNuls)
{
    using namespace std::string_literals;
    EXPECT_EQ(DependentFiles(L"POS80.DLL"), L"TTFSUB.GPD\0STDNAMES.GPD\0UNIRES.DLL\0POS80.DLL\0\0\0\0"s);
    const std::wstring files = DependentFiles(L"POS58.DLL");
    EXPECT_EQ(files.find(L'\n'), std::wstring::npos);

    // Read as the spooler does: names up to the first empty one.
    std::vector<std::wstring> names;
    for (const wchar_t* p = files.c_str(); *p; p += wcslen(p) + 1) names.emplace_back(p);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"TTFSUB.GPD", L"STDNAMES.GPD", L"UNIRES.DLL", L"POS58.DLL"}));
}

TEST(InstallDecisions, StagingFailureTextByEditionChoice)
{
    const std::wstring plain = L"Malfunction !";
    const std::wstring withHint = L"Malfunction !\nPls try using <Run as administrator>open this App";
    const struct {
        int osIndex;
        const std::wstring& text;
    } cases[] = {{-1, plain}, {0, plain}, {1, plain}, {2, plain}, {3, withHint}, {4, withHint}, {5, withHint}};
    for (const auto& c : cases) EXPECT_EQ(StagingFailureText(c.osIndex), c.text) << c.osIndex;
}

TEST(InstallDecisions, StagesModelFilesFirstThenTheSixCommonFiles)
{
    EXPECT_EQ(StagedFileNames(L"POS58.DLL", L"POS58.GPD"),
              (std::vector<std::wstring>{L"POS58.DLL", L"POS58.GPD", L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL",
                                         L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"}));
}
