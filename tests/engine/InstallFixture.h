// A fresh working folder with the two package folders as the current directory, with message
// boxes and traces captured instead of shown.
#pragma once

#include "install/InstallPlatform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

struct ShownMessage {
    std::wstring text;
    UINT type;
};

class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The package folders in the working folder, less the omitted paths.
    bool MakePackages(const std::vector<std::wstring>& omit = {});
    std::vector<std::wstring> MessageTexts() const;
    std::vector<std::wstring> NameTraces() const;  // the unique-name search lines only

    std::wstring workDir_;
    std::vector<ShownMessage> messages_;
    std::vector<std::wstring> traces_;

private:
    std::wstring previousDir_;
};

// The real spooler, except for the answers a test chooses: what Wine cannot be made to do.
class ChosenSpooler : public Win32InstallPlatform {
public:
    WORD NativeArchitecture() override;
    bool QueryVersion(OSVERSIONINFOW& version) override;
    bool DriverDirectory(const std::wstring& environment, std::wstring& directory) override;
    DWORD AddDriver(DRIVER_INFO_3W& driver) override;
    HANDLE AddQueue(PRINTER_INFO_2W& printer, DWORD& error) override;

    bool chooseArchitecture = false;
    WORD architecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool versionFails = false;
    bool noDriverDirectory = false;
    DWORD refuseDriver = ERROR_SUCCESS;  // nonzero: the spooler refuses the driver with this code
    DWORD refuseQueue = ERROR_SUCCESS;

    std::vector<std::wstring> directoryEnvironments;
    int driverCalls = 0;
    int queueCalls = 0;
};
