// Removal against Wine's real spooler, after real installs; every test case runs in a fresh prefix.
#include "InstallFixture.h"

#include "catalogue/ModelCatalogue.h"
#include "install/DriverRemoval.h"
#include "support/lib/SpoolerQueries.h"

#include <winspool.h>

#include <algorithm>

using namespace testing_support;

namespace {

const wchar_t kEnvironment[] = L"Windows x64";
const int kRowTprC = 3;   // TPR-80C: POS80.DLL, POS80C.GPD
const int kRowRkM5T = 0;  // RK-M5T: the same files
const int kRowHse06 = 5;  // HS-e06: POS58.DLL, POS58.GPD

bool HasFile(const std::vector<std::wstring>& files, const std::wstring& name)
{
    return std::any_of(files.begin(), files.end(), [&](const std::wstring& f) { return removal::SameName(f, name); });
}

std::vector<std::wstring> VersionFolderFiles() { return FilesIn(DriverDirectory(kEnvironment) + L"\\3"); }

std::vector<std::wstring> PrintersOn(const std::wstring& driver)
{
    std::vector<std::wstring> names;
    for (const QueueRecord& queue : LocalQueues())
        if (queue.driver == driver) names.push_back(queue.name);
    return names;
}

bool AddQueueOn(const std::wstring& printerName, const std::wstring& driverName)
{
    std::wstring name = printerName, driver = driverName, port = L"LPT1:", processor = L"WinPrint", type = L"RAW";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = &name[0];
    info.pPortName = &port[0];
    info.pDriverName = &driver[0];
    info.pPrintProcessor = &processor[0];
    info.pDatatype = &type[0];
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) return false;
    ::ClosePrinter(printer);
    return true;
}

}  // namespace

class Removal : public InstallFixture {
protected:
    RemovalOutcome Remove(const std::wstring& driverName)
    {
        report_.clear();
        return RemovePrinterDriver(driverName, kEnvironment, [this](const std::wstring& line) { report_.push_back(line); });
    }
    bool Install(int row)
    {
        ModelCatalogue catalogue;
        return catalogue.InstallPrinter(0, row, 0, "LPT1:");
    }
    std::vector<std::wstring> report_;
};

TEST_F(Removal, DeletesEveryPrinterOnTheDriverThenTheDriverAndItsFiles)
{
    ASSERT_TRUE(MakePackages());
    ASSERT_TRUE(Install(kRowTprC));
    ASSERT_TRUE(Install(kRowTprC));  // a second queue, "TPR-80C (copy 1)"
    ASSERT_TRUE(AddQueueOn(L"Kitchen", L"TPR-80C"));  // one the operator made by hand on the same driver
    ASSERT_EQ(PrintersOn(L"TPR-80C").size(), 3u);
    ASSERT_TRUE(HasFile(VersionFolderFiles(), L"POS80C.GPD")) << testing::PrintToString(VersionFolderFiles());

    EXPECT_EQ(Remove(L"TPR-80C"), RemovalOutcome::Removed) << testing::PrintToString(report_);

    EXPECT_TRUE(PrintersOn(L"TPR-80C").empty()) << testing::PrintToString(PrintersOn(L"TPR-80C"));
    DriverRecord driver;
    EXPECT_FALSE(FindDriver(kEnvironment, L"TPR-80C", driver));
    const std::vector<std::wstring> left = VersionFolderFiles();
    for (const wchar_t* file : {L"POS80.DLL", L"POS80C.GPD", L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL",
                                L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"})
        EXPECT_FALSE(HasFile(left, file)) << file << " is left in the version folder";
    for (const wchar_t* printer : {L"TPR-80C", L"TPR-80C (copy 1)", L"Kitchen"}) {
        EXPECT_TRUE(std::find(report_.begin(), report_.end(), L"Deleted the printer " + std::wstring(printer) + L".") !=
                    report_.end())
            << testing::PrintToString(report_);
    }
}

TEST_F(Removal, KeepsWhatAnotherModelStillUses)
{
    ASSERT_TRUE(MakePackages());
    ASSERT_TRUE(Install(kRowTprC));
    ASSERT_TRUE(Install(kRowHse06));
    ASSERT_TRUE(Install(kRowRkM5T));

    // HS-e06 alone has the POS58 pair; the common files stay for the others.
    EXPECT_EQ(Remove(L"HS-e06"), RemovalOutcome::Removed) << testing::PrintToString(report_);
    std::vector<std::wstring> left = VersionFolderFiles();
    EXPECT_FALSE(HasFile(left, L"POS58.DLL"));
    EXPECT_FALSE(HasFile(left, L"POS58.GPD"));
    for (const wchar_t* file : {L"POS80.DLL", L"POS80C.GPD", L"UNIDRV.DLL", L"UNIDRVUI.DLL", L"UNIRES.DLL",
                                L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"})
        EXPECT_TRUE(HasFile(left, file)) << file << " went although TPR-80C and RK-M5T use it";

    // TPR-80C and RK-M5T share all their files: removing one leaves the other whole.
    EXPECT_EQ(Remove(L"TPR-80C"), RemovalOutcome::Removed) << testing::PrintToString(report_);
    DriverRecord driver;
    EXPECT_FALSE(FindDriver(kEnvironment, L"TPR-80C", driver));
    ASSERT_TRUE(FindDriver(kEnvironment, L"RK-M5T", driver));
    EXPECT_EQ(PrintersOn(L"RK-M5T"), std::vector<std::wstring>{L"RK-M5T"});
    left = VersionFolderFiles();
    EXPECT_TRUE(HasFile(left, L"POS80.DLL"));
    EXPECT_TRUE(HasFile(left, L"POS80C.GPD"));
    EXPECT_TRUE(HasFile(left, L"UNIDRV.DLL"));

    EXPECT_EQ(Remove(L"RK-M5T"), RemovalOutcome::Removed) << testing::PrintToString(report_);
    left = VersionFolderFiles();
    EXPECT_FALSE(HasFile(left, L"POS80.DLL")) << testing::PrintToString(left);
    EXPECT_FALSE(HasFile(left, L"UNIDRV.DLL")) << testing::PrintToString(left);
}

TEST_F(Removal, OnACleanSystemThereIsNothingToRemove)
{
    EXPECT_EQ(Remove(L"TPR-80C"), RemovalOutcome::NothingToRemove);
    ASSERT_EQ(report_.size(), 1u) << testing::PrintToString(report_);
    EXPECT_EQ(report_[0], L"Nothing to remove: no printer driver TPR-80C (Windows x64, version 3) is installed and no "
                          L"printer uses one.");

    // A second removal after a real one is the same clean system.
    ASSERT_TRUE(MakePackages());
    ASSERT_TRUE(Install(kRowTprC));
    ASSERT_EQ(Remove(L"TPR-80C"), RemovalOutcome::Removed) << testing::PrintToString(report_);
    EXPECT_EQ(Remove(L"TPR-80C"), RemovalOutcome::NothingToRemove) << testing::PrintToString(report_);
}

TEST_F(Removal, NamesCompareAsTheSpoolerComparesThem)
{
    ASSERT_TRUE(MakePackages());
    ASSERT_TRUE(Install(kRowTprC));
    EXPECT_EQ(Remove(L"tpr-80c"), RemovalOutcome::Removed) << testing::PrintToString(report_);
    DriverRecord driver;
    EXPECT_FALSE(FindDriver(kEnvironment, L"TPR-80C", driver));
    EXPECT_TRUE(PrintersOn(L"TPR-80C").empty());
}

TEST(RemovalDecisions, FilesNoOtherDriverUses)
{
    const std::wstring d = L"C:\\windows\\system32\\spool\\drivers\\x64\\3\\";
    const struct {
        std::vector<std::wstring> removed;
        std::vector<std::vector<std::wstring>> others;
        std::vector<std::wstring> expected;
    } cases[] = {
        {{d + L"A.DLL", d + L"B.GPD"}, {}, {d + L"A.DLL", d + L"B.GPD"}},
        {{d + L"A.DLL", d + L"B.GPD"}, {{d + L"b.gpd"}}, {d + L"A.DLL"}},   // case does not matter
        {{d + L"A.DLL"}, {{}, {d + L"X.DLL"}, {d + L"A.DLL"}}, {}},          // any other driver keeps it
        {{d + L"A.DLL", d + L"a.dll"}, {}, {d + L"A.DLL"}},                  // each file once
        {{d + L"A.DLL"}, {{L"C:\\elsewhere\\A.DLL"}}, {d + L"A.DLL"}},       // the same name elsewhere
    };
    for (const auto& c : cases) EXPECT_EQ(removal::FilesNoOtherDriverUses(c.removed, c.others), c.expected);
}

TEST(RemovalDecisions, PrintersAndPathsAndEnvironment)
{
    const std::vector<removal::QueueOnDriver> queues = {
        {L"TPR-80C", L"TPR-80C"}, {L"Office", L"Wine PostScript Driver"}, {L"Till 2", L"tpr-80c"}, {L"X", L"TPR-80"}};
    EXPECT_EQ(removal::PrintersUsingDriver(queues, L"TPR-80C"), (std::vector<std::wstring>{L"TPR-80C", L"Till 2"}));
    EXPECT_TRUE(removal::PrintersUsingDriver(queues, L"RK-M7").empty());

    EXPECT_EQ(removal::FullDriverFilePath(L"UNIDRV.DLL", L"C:\\d\\3"), L"C:\\d\\3\\UNIDRV.DLL");
    EXPECT_EQ(removal::FullDriverFilePath(L"C:\\d\\3\\UNIDRV.DLL", L"C:\\other"), L"C:\\d\\3\\UNIDRV.DLL");

    EXPECT_EQ(DriverEnvironment("x64"), L"Windows x64");
    for (const char* arch : {"x86", "Intel Itanium-based", "Unknown architecture", "Unknown", "X64", ""})
        EXPECT_EQ(DriverEnvironment(arch), L"Windows NT x86") << arch;
    EXPECT_EQ(DriverEnvironment(nullptr), L"Windows NT x86");
}
