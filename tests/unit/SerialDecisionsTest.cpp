#include "ports/SerialDriver.h"

#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct InstallerPathCase {
    const wchar_t* archName;
    const wchar_t* directory;
    const wchar_t* program;
    const wchar_t* workingDirectory;
};

TEST(SerialInstallerPaths, ChooseTheInstallerByTheWholeArchitectureName)
{
    const InstallerPathCase cases[] = {
        {L"x64", L"C:\\Setup", L"C:\\Setup\\Windows x64\\DPInst64.exe", L"C:\\Setup\\Windows x64\\"},
        {L"x86", L"C:\\Setup", L"C:\\Setup\\Windows NT x86\\DPInst32.exe", L"C:\\Setup\\Windows NT X86\\"},
        {L"Intel Itanium-based", L"C:\\Setup", L"C:\\Setup\\Windows NT x86\\DPInst32.exe",
         L"C:\\Setup\\Windows NT X86\\"},
        {L"Unknown architecture", L"D:\\a b", L"D:\\a b\\Windows NT x86\\DPInst32.exe", L"D:\\a b\\Windows NT X86\\"},
        {L"Unknown", L"C:\\Setup", L"C:\\Setup\\Windows NT x86\\DPInst32.exe", L"C:\\Setup\\Windows NT X86\\"},
        {L"X64", L"C:\\Setup", L"C:\\Setup\\Windows NT x86\\DPInst32.exe", L"C:\\Setup\\Windows NT X86\\"},
        {L"", L"C:\\Setup", L"C:\\Setup\\Windows NT x86\\DPInst32.exe", L"C:\\Setup\\Windows NT X86\\"},
        // The system reports a drive root with its backslash.
        {L"x64", L"E:\\", L"E:\\Windows x64\\DPInst64.exe", L"E:\\Windows x64\\"},
    };
    for (const auto& c : cases) {
        std::wstring program, workingDirectory;
        EXPECT_TRUE(serial::InstallerPaths(c.archName, c.directory, program, workingDirectory)) << c.archName;
        EXPECT_EQ(program, c.program) << c.archName;
        EXPECT_EQ(workingDirectory, c.workingDirectory) << c.archName;
    }
}

TEST(SerialInstallerPaths, NameNoProgramWithoutADirectory)
{
    // An empty directory would turn the path into one from the root of the current drive.
    std::wstring program = L"stale", workingDirectory = L"stale";
    EXPECT_FALSE(serial::InstallerPaths(L"x64", L"", program, workingDirectory));
    EXPECT_TRUE(program.empty());
    EXPECT_TRUE(workingDirectory.empty());
}

TEST(SerialCurrentDirectory, IsReadWhateverItsLength)
{
    const std::wstring scratch = testing_support::MakeScratchDir(L"curdir");
    ASSERT_FALSE(scratch.empty());
    std::wstring deep = scratch;
    while (deep.size() < 257) {
        deep += L"\\" + std::wstring(std::min<size_t>(40, 257 - deep.size() - 1), L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ASSERT_EQ(deep.size(), 257u);

    wchar_t previous[MAX_PATH * 4] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 4, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(deep.c_str())) << ::GetLastError();
    std::wstring read;
    const bool ok = serial::ReadCurrentDirectory(read);
    ::SetCurrentDirectoryW(previous);
    testing_support::RemoveTree(scratch);

    EXPECT_TRUE(ok);
    EXPECT_EQ(read, deep);
}

TEST(SerialLaunchablePath, ShortensOnlyPathsTooLongToStartFrom)
{
    EXPECT_EQ(serial::LaunchablePath(L"C:\\Setup\\Windows x64\\DPInst64.exe"), L"C:\\Setup\\Windows x64\\DPInst64.exe");

    const std::wstring scratch = testing_support::MakeScratchDir(L"launchable");
    ASSERT_FALSE(scratch.empty());
    std::wstring deep = scratch;
    while (deep.size() < 270) {
        deep += L"\\" + std::wstring(40, L'q');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring launchable = serial::LaunchablePath(deep);
    const std::wstring missing = serial::LaunchablePath(deep + L"\\absent");
    std::wstring longForm(32768, L'\0');
    longForm.resize(::GetLongPathNameW(launchable.c_str(), &longForm[0], static_cast<DWORD>(longForm.size())));
    testing_support::RemoveTree(scratch);

    EXPECT_LT(launchable.size(), static_cast<size_t>(MAX_PATH - 2));
    EXPECT_EQ(_wcsicmp(longForm.c_str(), deep.c_str()), 0);
    EXPECT_EQ(missing, deep + L"\\absent") << "a path that does not exist has no short form";
}

struct WatchCase {
    int seenBefore;
    bool mainWindow;
    bool finalDialog;
    serial::WatchAction action;
    int seenAfter;
};

TEST(SerialWatch, FollowsTheInstallerWindowOneTickAtATime)
{
    using serial::WatchAction;
    const WatchCase cases[] = {
        {0, false, false, WatchAction::KeepPolling, 0},  // not up yet
        {1, false, false, WatchAction::StopSilently, 0}, // gone before its end
        {0, true, false, WatchAction::KeepPolling, 1},
        {1, true, false, WatchAction::KeepPolling, 1},
        {0, true, true, WatchAction::Report, 1},
        {1, true, true, WatchAction::Report, 1},
    };
    for (const auto& c : cases) {
        int seen = c.seenBefore;
        EXPECT_EQ(serial::DecideWatch(seen, c.mainWindow, c.finalDialog), c.action)
            << c.seenBefore << c.mainWindow << c.finalDialog;
        EXPECT_EQ(seen, c.seenAfter) << c.seenBefore << c.mainWindow << c.finalDialog;
    }
}

struct ReportCase {
    const char* what;
    int languageId;
    std::vector<std::wstring> before;
    std::vector<std::wstring> after;
    std::vector<std::wstring> names;
    int nameCount;
    std::wstring text;
};

TEST(SerialPortReport, ListsEachNewPortOncePerInstanceCarryingIt)
{
    const std::wstring english = L"The created COM port is:";
    const std::wstring chinese = L"生成的虚拟串口是：";
    ASSERT_EQ(chinese.size(), 9u);
    const ReportCase cases[] = {
        {"one port, one instance", 1033, {L"COM1"}, {L"COM1", L"COM7"}, {L"COM7"}, 1, english + L"COM7;"},
        {"Chinese", 2052, {L"COM1"}, {L"COM1", L"COM7"}, {L"COM7"}, 1, chinese + L"COM7;"},
        {"any other language", 1046, {}, {L"COM7"}, {L"COM7"}, 1, english + L"COM7;"},
        {"two instances on one port", 1033, {L"COM1"}, {L"COM1", L"COM7"}, {L"COM7", L"COM7"}, 2,
         english + L"COM7;COM7;"},
        {"in the order of the map", 1033, {}, {L"COM7", L"COM8"}, {L"COM8", L"COM7"}, 2, english + L"COM7;COM8;"},
        {"port of no instance", 1033, {L"COM1"}, {L"COM1", L"COM9"}, {L"COM7"}, 1, english},
        {"no instance at all", 1033, {L"COM1"}, {L"COM1", L"COM7"}, {}, 0, english},
        // New by position: an older port enumerated at or after the first count counts as new.
        {"by position", 1033, {L"COM7"}, {L"COM1", L"COM7"}, {L"COM7", L"COM1"}, 2, english + L"COM7;"},
        {"case-sensitive", 1033, {}, {L"com7"}, {L"COM7"}, 1, english},
        {"names beyond the count", 1033, {}, {L"COM7"}, {L"", L"COM7"}, 1, english},
        {"empty name inside the count", 1033, {}, {L"COM7"}, {L"", L"COM7"}, 2, english + L"COM7;"},
    };
    for (const auto& c : cases) {
        SerialPortSnapshot after;
        after.count = static_cast<int>(c.after.size());
        for (size_t i = 0; i < c.after.size(); ++i) after.ports[i] = c.after[i];
        VirtualPortNames names;
        for (size_t i = 0; i < c.names.size(); ++i) names[i] = c.names[i];
        EXPECT_EQ(serial::PortReportText(c.languageId, static_cast<int>(c.before.size()), after, names, c.nameCount),
                  c.text)
            << c.what;
    }
}

TEST(SerialRegistryText, NeverReadsPastTheBufferOrWhatTheSystemWrote)
{
    // A value that fills its 256 bytes exactly has no terminator inside them.
    char full[257];
    std::memset(full, 'A', sizeof full);
    EXPECT_EQ(serial::AnsiRegistryText(full, 256, 256), std::wstring(256, L'A'));
    // Left-overs of a longer earlier value behind a shorter one without its terminator.
    char stale[257] = "COM10";
    EXPECT_EQ(serial::AnsiRegistryText(stale, 256, 4), L"COM1");
    EXPECT_EQ(serial::AnsiRegistryText(stale, 256, 6), L"COM10");
    EXPECT_EQ(serial::AnsiRegistryText(stale, 256, 1000), L"COM10");
    EXPECT_EQ(serial::AnsiRegistryText(stale, 256, 0), L"");

    wchar_t wideFull[129];
    std::fill(std::begin(wideFull), std::end(wideFull), L'B');
    EXPECT_EQ(serial::WideRegistryText(wideFull, 256, 256), std::wstring(128, L'B'));
    wchar_t wideStale[129] = L"COM10";
    EXPECT_EQ(serial::WideRegistryText(wideStale, 256, 8), L"COM1");
    EXPECT_EQ(serial::WideRegistryText(wideStale, 256, 9), L"COM1");  // half a character is dropped
    EXPECT_EQ(serial::WideRegistryText(wideStale, 256, 12), L"COM10");
}

}  // namespace
