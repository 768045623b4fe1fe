#include "catalogue/ModelCatalogue.h"
#include "catalogue/SystemNames.h"
#include "install/InstallPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Answers the version query and the architecture as a chosen machine would.
class ChosenSystem : public Win32InstallPlatform {
public:
    ChosenSystem(DWORD major, DWORD minor, WORD architecture, bool versionWorks = true)
        : major_(major), minor_(minor), architecture_(architecture), versionWorks_(versionWorks)
    {
    }
    WORD NativeArchitecture() override { return architecture_; }
    bool QueryVersion(OSVERSIONINFOW& version) override
    {
        version = OSVERSIONINFOW{};
        version.dwOSVersionInfoSize = sizeof(version);
        version.dwMajorVersion = major_;
        version.dwMinorVersion = minor_;
        version.dwBuildNumber = 22000;  // never consulted
        return versionWorks_;
    }

private:
    DWORD major_, minor_;
    WORD architecture_;
    bool versionWorks_;
};

}  // namespace

TEST(DetectSystem, EditionTableByMajorAndMinorVersion)
{
    struct Case {
        DWORD major, minor;
        int index;  // -1: "Unknow"
    };
    const Case cases[] = {
        {5, 0, 0},  {5, 1, 1},  {5, 2, 2},  {5, 3, -1}, {6, 0, 3},  {6, 1, 4},  {6, 2, 5},
        {6, 3, 6},  {6, 4, 6},  {6, 9, 6},  {10, 0, 7}, {10, 1, 8}, {10, 5, 8}, {4, 0, -1},
        {11, 0, -1}, {0, 0, -1}, {7, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        EXPECT_EQ(EditionIndexFor(c.major, c.minor), c.index);

        ChosenSystem system(c.major, c.minor, PROCESSOR_ARCHITECTURE_AMD64);
        const ModelCatalogue catalogue(&system);
        const char* archName = nullptr;
        const char* editionName = nullptr;
        ASSERT_TRUE(catalogue.DetectSystem(archName, editionName));
        // The entry itself, so that callers can find its position by comparing pointers.
        if (c.index >= 0)
            EXPECT_EQ(editionName, catalogue.editionNames[c.index]);
        else
            EXPECT_STREQ(editionName, "Unknow");
        if (c.index < 0) {
            for (const char* entry : catalogue.editionNames) EXPECT_NE(editionName, entry);
        }
    }
}

TEST(DetectSystem, ArchitectureTableByNativeCode)
{
    struct Case {
        WORD code;
        const char* name;
    };
    const Case cases[] = {
        {PROCESSOR_ARCHITECTURE_INTEL, "x86"},
        {PROCESSOR_ARCHITECTURE_IA64, "Intel Itanium-based"},
        {PROCESSOR_ARCHITECTURE_AMD64, "x64"},
        {PROCESSOR_ARCHITECTURE_UNKNOWN, "Unknown architecture"},
        {5, "Unknown"},   // ARM
        {12, "Unknown"},  // ARM64
        {1, "Unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(ArchitectureNameFor(c.code), c.name);
        ChosenSystem system(6, 1, c.code);
        const ModelCatalogue catalogue(&system);
        const char* archName = nullptr;
        const char* editionName = nullptr;
        ASSERT_TRUE(catalogue.DetectSystem(archName, editionName));
        EXPECT_STREQ(archName, c.name);
    }
}

TEST(DetectSystem, FailedVersionQueryLeavesBothOutputsAsTheyWere)
{
    ChosenSystem system(10, 0, PROCESSOR_ARCHITECTURE_AMD64, false);
    const ModelCatalogue catalogue(&system);
    const char* const before = "";
    const char* archName = before;
    const char* editionName = before;
    EXPECT_FALSE(catalogue.DetectSystem(archName, editionName));
    EXPECT_EQ(archName, before);
    EXPECT_EQ(editionName, before);
}

TEST(DetectSystem, ReadsTheRealSystem)
{
    // Wine on a 64-bit host: also a 32-bit build must see the native x64 machine.
    const ModelCatalogue catalogue;
    const char* archName = "";
    const char* editionName = "";
    ASSERT_TRUE(catalogue.DetectSystem(archName, editionName));
    EXPECT_STREQ(archName, "x64");

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(::GetVersionExW(&version));
    const int index = EditionIndexFor(version.dwMajorVersion, version.dwMinorVersion);
    ASSERT_GE(index, 0);
    EXPECT_EQ(editionName, catalogue.editionNames[index]);
}
