#include "InstallFixture.h"

#include "framework/MessageBox.h"
#include "support/lib/DriverPackages.h"
#include "support/lib/WineHost.h"
#include "win32/Trace.h"

void InstallFixture::SetUp()
{
    workDir_ = testing_support::MakeScratchDir(L"install");
    ASSERT_FALSE(workDir_.empty());
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    previousDir_ = previous;
    ASSERT_TRUE(::SetCurrentDirectoryW(workDir_.c_str()));
    framework::SetMessageHandler([this](const std::wstring& text, UINT type) {
        messages_.push_back({text, type});
        return IDOK;
    });
    win32::SetTraceListener([this](const std::wstring& line) { traces_.push_back(line); });
}

void InstallFixture::TearDown()
{
    win32::SetTraceListener({});
    framework::SetMessageHandler({});
    if (!previousDir_.empty()) ::SetCurrentDirectoryW(previousDir_.c_str());
    if (!workDir_.empty()) testing_support::RemoveTree(workDir_);
}

bool InstallFixture::MakePackages(const std::vector<std::wstring>& omit)
{
    return testing_support::MakeDriverPackages(workDir_, omit);
}

std::vector<std::wstring> InstallFixture::MessageTexts() const
{
    std::vector<std::wstring> texts;
    for (const ShownMessage& message : messages_) texts.push_back(message.text);
    return texts;
}

std::vector<std::wstring> InstallFixture::NameTraces() const
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : traces_)
        if (line.rfind(L"name=", 0) == 0) lines.push_back(line);
    return lines;
}

WORD ChosenSpooler::NativeArchitecture()
{
    return chooseArchitecture ? architecture : Win32InstallPlatform::NativeArchitecture();
}

bool ChosenSpooler::QueryVersion(OSVERSIONINFOW& version)
{
    return !versionFails && Win32InstallPlatform::QueryVersion(version);
}

bool ChosenSpooler::DriverDirectory(const std::wstring& environment, std::wstring& directory)
{
    directoryEnvironments.push_back(environment);
    if (noDriverDirectory) return false;
    return Win32InstallPlatform::DriverDirectory(environment, directory);
}

DWORD ChosenSpooler::AddDriver(DRIVER_INFO_3W& driver)
{
    ++driverCalls;
    return refuseDriver != ERROR_SUCCESS ? refuseDriver : Win32InstallPlatform::AddDriver(driver);
}

HANDLE ChosenSpooler::AddQueue(PRINTER_INFO_2W& printer, DWORD& error)
{
    ++queueCalls;
    if (refuseQueue != ERROR_SUCCESS) {
        error = refuseQueue;
        return nullptr;
    }
    return Win32InstallPlatform::AddQueue(printer, error);
}
