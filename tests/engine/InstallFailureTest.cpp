// What the operator is told when an install cannot be completed, against Wine's spooler; where
// Wine would not refuse, a chosen answer stands in for the spooler's.
#include "InstallFixture.h"

#include "catalogue/ModelCatalogue.h"
#include "support/lib/SpoolerQueries.h"
#include "win32/ErrorText.h"
#include "win32/Text.h"

#include <algorithm>

using namespace testing_support;

namespace {

std::vector<std::wstring> Sorted(std::vector<std::wstring> names)
{
    for (std::wstring& name : names) std::transform(name.begin(), name.end(), name.begin(), ::towupper);
    std::sort(names.begin(), names.end());
    return names;
}

const std::wstring kPlainText = L"Malfunction !";
const std::wstring kAdminText = L"Malfunction !\nPls try using <Run as administrator>open this App";

}  // namespace

struct EditionCase {
    int osIndex;
    const std::wstring* text;
};

class MissingDataFile : public InstallFixture, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(MissingDataFile, ShowsOneMessageRegistersNothingAndCopiesTheOtherSeven)
{
    ASSERT_TRUE(MakePackages({L"Windows x64\\POS80C.GPD"}));
    ModelCatalogue catalogue;
    EXPECT_FALSE(catalogue.InstallPrinter(GetParam().osIndex, 3, 1, "LPT1:"));

    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, *GetParam().text);
    EXPECT_EQ(messages_[0].type, static_cast<UINT>(MB_OK));
    DriverRecord driver;
    EXPECT_FALSE(FindDriver(L"Windows x64", L"TPR-80C", driver));
    EXPECT_EQ(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);
    EXPECT_NE(DefaultPrinter(), L"TPR-80C");
    EXPECT_EQ(Sorted(FilesIn(DriverDirectory(L"Windows x64"))),
              Sorted({L"POS80.DLL", L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL", L"UNIDRV.HLP", L"TTFSUB.GPD",
                      L"STDNAMES.GPD"}));
}

INSTANTIATE_TEST_SUITE_P(EditionChoices, MissingDataFile,
                         ::testing::Values(EditionCase{2, &kPlainText}, EditionCase{3, &kAdminText}),
                         [](const ::testing::TestParamInfo<EditionCase>& param) {
                             return "osIndex" + std::to_string(param.param.osIndex);
                         });

class RefusedDriver : public InstallFixture, public ::testing::WithParamInterface<DWORD> {};

TEST_P(RefusedDriver, ShowsTheSystemTextWithItsNumberThenTheFailureAndKeepsTheStagedFiles)
{
    ASSERT_TRUE(MakePackages());
    ChosenSpooler spooler;
    spooler.refuseDriver = GetParam();
    ModelCatalogue catalogue(&spooler);
    EXPECT_FALSE(catalogue.InstallPrinter(0, 3, 1, "LPT1:"));

    ASSERT_EQ(messages_.size(), 2u) << testing::PrintToString(MessageTexts());
    EXPECT_EQ(messages_[0].text, win32::ErrorText(GetParam()));
    EXPECT_EQ(messages_[0].text.rfind(win32::Format(L"[0x%08X]", static_cast<unsigned>(GetParam())), 0), 0u);
    EXPECT_EQ(messages_[1].text, L"Install printer driver failed !");
    for (const ShownMessage& message : messages_) EXPECT_EQ(message.type, static_cast<UINT>(MB_OK));

    EXPECT_EQ(spooler.queueCalls, 0);
    EXPECT_EQ(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);
    EXPECT_NE(DefaultPrinter(), L"TPR-80C");
    EXPECT_EQ(FilesIn(DriverDirectory(L"Windows x64")).size(), 8u);
}

// Access denied has a system text; Wine has none for the unknown-driver code, whose number must
// still reach the operator.
INSTANTIATE_TEST_SUITE_P(Codes, RefusedDriver,
                         ::testing::Values(DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_UNKNOWN_PRINTER_DRIVER}));

TEST_F(InstallFixture, RefusedQueueIsReportedAndTheInstallFails)
{
    ASSERT_TRUE(MakePackages());
    ChosenSpooler spooler;
    spooler.refuseQueue = ERROR_PRINTER_ALREADY_EXISTS;
    ModelCatalogue catalogue(&spooler);
    EXPECT_FALSE(catalogue.InstallPrinter(0, 3, 1, "LPT1:"));

    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{win32::ErrorText(ERROR_PRINTER_ALREADY_EXISTS)});
    DriverRecord driver;
    EXPECT_TRUE(FindDriver(L"Windows x64", L"TPR-80C", driver));
    EXPECT_EQ(spooler.queueCalls, 1);
    EXPECT_EQ(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);
    EXPECT_NE(DefaultPrinter(), L"TPR-80C");
    // The staged files go all the same.
    EXPECT_TRUE(FilesIn(DriverDirectory(L"Windows x64")).empty())
        << testing::PrintToString(FilesIn(DriverDirectory(L"Windows x64")));
}

TEST_F(InstallFixture, WithoutADriverDirectoryNothingIsCopied)
{
    ASSERT_TRUE(MakePackages());
    ChosenSpooler spooler;
    spooler.noDriverDirectory = true;
    ModelCatalogue catalogue(&spooler);
    EXPECT_FALSE(catalogue.InstallPrinter(4, 3, 1, "LPT1:"));

    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{kAdminText});
    EXPECT_EQ(spooler.driverCalls, 0);
    EXPECT_TRUE(FilesIn(DriverDirectory(L"Windows x64")).empty());
    // An empty directory would have put the files into the root of the current drive.
    for (const wchar_t* root : {L"\\POS80.DLL", L"\\UNIDRV.DLL", L"C:\\POS80.DLL", L"C:\\UNIDRV.DLL"})
        EXPECT_EQ(::GetFileAttributesW(root), INVALID_FILE_ATTRIBUTES) << testing::PrintToString(std::wstring(root));
}

struct ArchitectureCase {
    const char* label;
    bool versionFails;
    WORD code;
};

class NotX64 : public InstallFixture, public ::testing::WithParamInterface<ArchitectureCase> {};

TEST_P(NotX64, TakesTheX86Procedure)
{
    // Only the x86 package is there, so nothing can come from the x64 one.
    ASSERT_TRUE(MakePackages({L"Windows x64"}));
    ChosenSpooler spooler;
    spooler.chooseArchitecture = true;
    spooler.architecture = GetParam().code;
    spooler.versionFails = GetParam().versionFails;
    ModelCatalogue catalogue(&spooler);
    const bool installed = catalogue.InstallPrinter(0, 5, 0, "LPT1:");

    EXPECT_EQ(spooler.directoryEnvironments, std::vector<std::wstring>{L"Windows NT x86"});
    DriverRecord driver;
    ASSERT_TRUE(FindDriver(L"Windows NT x86", L"HS-e06", driver)) << testing::PrintToString(MessageTexts());
    EXPECT_EQ(driver.environment, L"Windows NT x86");
    EXPECT_NE(driver.dataFile.find(L"POS58.GPD"), std::wstring::npos) << driver.dataFile;
    EXPECT_FALSE(FindDriver(L"Windows x64", L"HS-e06", driver));
    EXPECT_TRUE(FilesIn(DriverDirectory(L"Windows NT x86")).empty());

    // The 64-bit spooler has no queue on a driver registered for the 32-bit environment alone,
    // so here the real spooler refuses the queue, and the operator is told.
    EXPECT_FALSE(installed);
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{win32::ErrorText(ERROR_UNKNOWN_PRINTER_DRIVER)});
    EXPECT_EQ(FindQueue(LocalQueues(), L"HS-e06"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Architectures, NotX64,
                         ::testing::Values(ArchitectureCase{"x86", false, PROCESSOR_ARCHITECTURE_INTEL},
                                           ArchitectureCase{"Itanium", false, PROCESSOR_ARCHITECTURE_IA64},
                                           ArchitectureCase{"UnknownArchitecture", false,
                                                            PROCESSOR_ARCHITECTURE_UNKNOWN},
                                           ArchitectureCase{"Unknown", false, 12},
                                           ArchitectureCase{"FailedDetection", true, PROCESSOR_ARCHITECTURE_AMD64}),
                         [](const ::testing::TestParamInfo<ArchitectureCase>& param) { return param.param.label; });
