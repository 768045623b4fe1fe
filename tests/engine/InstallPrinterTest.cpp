// Installs against Wine's real spooler; every test case runs in a fresh prefix.
#include "InstallFixture.h"

#include "catalogue/ModelCatalogue.h"
#include "support/lib/SpoolerQueries.h"

#include <algorithm>

using namespace testing_support;

namespace {

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
        return ::CompareStringOrdinal(n.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
}

const std::vector<std::wstring> kCommonFiles = {L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL",
                                                L"UNIDRV.HLP", L"TTFSUB.GPD",   L"STDNAMES.GPD"};

}  // namespace

using InstallPrinter = InstallFixture;

TEST_F(InstallPrinter, RegistersTheDriverCreatesTheQueueAndMakesItTheDefault)
{
    ASSERT_TRUE(MakePackages());
    ModelCatalogue catalogue;
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 1, "LPT1:"));
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : "first box: ") << testing::PrintToString(MessageTexts());
    EXPECT_EQ(catalogue.printerName, L"TPR-80C");

    DriverRecord driver;
    ASSERT_TRUE(PrinterDriver(L"TPR-80C", L"Windows x64", driver));
    EXPECT_EQ(driver.version, 3u);
    EXPECT_EQ(driver.name, L"TPR-80C");
    EXPECT_EQ(driver.environment, L"Windows x64");
    // The spooler reports the files with its own path; the names are ours.
    const auto endsWith = [](const std::wstring& path, const std::wstring& name) {
        return path.size() >= name.size() &&
               ::CompareStringOrdinal(path.c_str() + path.size() - name.size(), -1, name.c_str(), -1, TRUE) ==
                   CSTR_EQUAL &&
               (path.size() == name.size() || path[path.size() - name.size() - 1] == L'\\');
    };
    EXPECT_TRUE(endsWith(driver.driverPath, L"UNIDRV.DLL")) << driver.driverPath;
    EXPECT_TRUE(endsWith(driver.dataFile, L"POS80C.GPD")) << driver.dataFile;
    EXPECT_TRUE(endsWith(driver.configFile, L"UNIDRVUI.DLL")) << driver.configFile;
    EXPECT_TRUE(endsWith(driver.helpFile, L"UNIDRV.HLP")) << driver.helpFile;
    EXPECT_EQ(driver.defaultDataType, L"RAW");
    const std::vector<std::wstring> dependents = {L"TTFSUB.GPD", L"STDNAMES.GPD", L"UNIRES.DLL", L"POS80.DLL"};
    ASSERT_EQ(driver.dependentFiles.size(), dependents.size()) << testing::PrintToString(driver.dependentFiles);
    for (size_t i = 0; i < dependents.size(); ++i)
        EXPECT_TRUE(endsWith(driver.dependentFiles[i], dependents[i])) << i << ": " << driver.dependentFiles[i];

    const std::vector<QueueRecord> queues = LocalQueues();
    const QueueRecord* queue = FindQueue(queues, L"TPR-80C");
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->port, L"LPT1:");
    EXPECT_EQ(queue->driver, L"TPR-80C");
    EXPECT_EQ(queue->printProcessor, L"WinPrint");
    EXPECT_EQ(queue->dataType, L"RAW");
    EXPECT_TRUE(queue->attributes & PRINTER_ATTRIBUTE_LOCAL) << std::hex << queue->attributes;

    EXPECT_EQ(DefaultPrinter(), L"TPR-80C");

    // The spooler keeps its copies in its version folder; the directory itself holds none of ours.
    const std::wstring directory = DriverDirectory(L"Windows x64");
    ASSERT_FALSE(directory.empty());
    const std::vector<std::wstring> left = FilesIn(directory);
    for (const wchar_t* name : {L"POS80.DLL", L"POS80C.GPD", L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL",
                               L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"})
        EXPECT_FALSE(Contains(left, name)) << "left in the driver directory: " << testing::PrintToString(std::wstring(name));
    EXPECT_TRUE(Contains(FilesIn(directory + L"\\3"), L"POS80C.GPD"));
}

TEST_F(InstallPrinter, WithoutSetAsDefaultLeavesTheDefaultAlone)
{
    ASSERT_TRUE(MakePackages());
    ModelCatalogue catalogue;
    ASSERT_TRUE(catalogue.InstallPrinter(0, 0, 1, "LPT1:"));
    ASSERT_EQ(DefaultPrinter(), L"RK-M5T");
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 0, "LPT1:"));
    EXPECT_EQ(DefaultPrinter(), L"RK-M5T");
    EXPECT_NE(FindQueue(LocalQueues(), L"TPR-80C"), nullptr);
}

struct ModelFiles {
    int row;
    const wchar_t* model;
    const wchar_t* dll;
    const wchar_t* gpd;
};

class InstallPrinterRow : public InstallFixture, public ::testing::WithParamInterface<ModelFiles> {};

TEST_P(InstallPrinterRow, StagesAndRegistersTheModelsOwnFiles)
{
    const ModelFiles& files = GetParam();
    ASSERT_TRUE(MakePackages());
    ModelCatalogue catalogue;
    ASSERT_TRUE(catalogue.InstallPrinter(0, files.row, 0, "LPT1:"));
    EXPECT_TRUE(messages_.empty());

    DriverRecord driver;
    ASSERT_TRUE(FindDriver(L"Windows x64", files.model, driver));
    EXPECT_NE(driver.dataFile.find(files.gpd), std::wstring::npos) << driver.dataFile;
    ASSERT_EQ(driver.dependentFiles.size(), 4u);
    EXPECT_NE(driver.dependentFiles[3].find(files.dll), std::wstring::npos) << driver.dependentFiles[3];

    const std::wstring directory = DriverDirectory(L"Windows x64");
    const std::vector<std::wstring> registered = FilesIn(directory + L"\\3");
    EXPECT_TRUE(Contains(registered, files.dll));
    EXPECT_TRUE(Contains(registered, files.gpd));
    const std::vector<std::wstring> left = FilesIn(directory);
    EXPECT_FALSE(Contains(left, files.dll));
    EXPECT_FALSE(Contains(left, files.gpd));
    for (const std::wstring& name : kCommonFiles) EXPECT_FALSE(Contains(left, name)) << testing::PrintToString(std::wstring(name));
}

INSTANTIATE_TEST_SUITE_P(Rows, InstallPrinterRow,
                         ::testing::Values(ModelFiles{2, L"HS-e07", L"POS80.DLL", L"POS80.GPD"},
                                           ModelFiles{5, L"HS-e06", L"POS58.DLL", L"POS58.GPD"}),
                         [](const ::testing::TestParamInfo<ModelFiles>& param) {
                             return "row" + std::to_string(param.param.row);
                         });

TEST_F(InstallPrinter, TakesTheNextCopyNumberAndMakesThatQueueTheDefault)
{
    ASSERT_TRUE(MakePackages());
    ModelCatalogue catalogue;
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 0, "LPT1:"));
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 0, "LPT1:"));
    ASSERT_EQ(catalogue.printerName, L"TPR-80C (copy 1)");
    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 1, "LPT1:"));
    EXPECT_TRUE(messages_.empty());

    EXPECT_EQ(catalogue.printerName, L"TPR-80C (copy 2)");
    EXPECT_EQ(catalogue.modelNames[3], L"TPR-80C");
    const std::vector<QueueRecord> queues = LocalQueues();
    for (const wchar_t* name : {L"TPR-80C", L"TPR-80C (copy 1)", L"TPR-80C (copy 2)"}) {
        const QueueRecord* queue = FindQueue(queues, name);
        ASSERT_NE(queue, nullptr) << testing::PrintToString(std::wstring(name));
        EXPECT_EQ(queue->driver, L"TPR-80C");
    }
    // The new queue, not the older one that carries the model's name.
    EXPECT_EQ(DefaultPrinter(), L"TPR-80C (copy 2)");

    // Each match restarts the scan (i=-1) and the next number grows from the base name.
    const std::vector<std::wstring> lines = NameTraces();
    std::vector<std::wstring> restarts;
    for (const std::wstring& line : lines)
        if (line.find(L",i=-1,") != std::wstring::npos) restarts.push_back(line);
    ASSERT_GE(restarts.size(), 3u) << testing::PrintToString(lines);
    EXPECT_EQ(restarts[restarts.size() - 2],
              L"name=TPR-80C,i=-1,n=2.temStr=TPR-80C (copy 1),userLanguage=1033\r\n");
    EXPECT_EQ(restarts.back(),
              L"name=TPR-80C (copy 1),i=-1,n=3.temStr=TPR-80C (copy 2),userLanguage=1033\r\n");
}

TEST_F(InstallPrinter, APrinterNamedLikeTheModelInAnotherCaseIsNoMatch)
{
    ASSERT_TRUE(MakePackages());
    ModelCatalogue catalogue;
    // A queue "tpr-80c" of another model's driver.
    ASSERT_TRUE(catalogue.InstallPrinter(0, 0, 0, "LPT1:"));
    catalogue.printerName = L"tpr-80c";
    ASSERT_TRUE(catalogue.CreatePrinterQueue(0, "LPT1:"));
    ASSERT_NE(FindQueue(LocalQueues(), L"tpr-80c"), nullptr);
    traces_.clear();

    ASSERT_TRUE(catalogue.InstallPrinter(0, 3, 0, "LPT1:"));
    EXPECT_EQ(catalogue.printerName, L"TPR-80C");
    const std::vector<std::wstring> lines = NameTraces();
    EXPECT_FALSE(lines.empty());
    for (const std::wstring& line : lines) EXPECT_EQ(line.find(L",i=-1,"), std::wstring::npos) << line;
}
