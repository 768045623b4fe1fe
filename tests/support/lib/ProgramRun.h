// Starting the program (or a stand-in) under test as its own process, and making sure it never
// outlives a failed test.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// Chooses the Windows version Wine reports to programs started afterwards (HKCU\Software\Wine,
// value Version): L"winxp", L"vista", L"win7", L"win8", L"win81", L"win10", ...
bool SetWindowsVersion(const std::wstring& version);

class ProgramRun {
public:
    ProgramRun() = default;
    ~ProgramRun();  // kills the process if it still runs
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Starts program with workDir as its current directory. arguments may be empty.
    bool Start(const std::wstring& program, const std::wstring& workDir,
               const std::wstring& arguments = std::wstring());

    // True when the process ended within timeoutMs.
    bool WaitForExit(DWORD timeoutMs);
    bool Running() const;
    // The exit code once ended; STILL_ACTIVE while running.
    DWORD ExitCode() const;
    DWORD Id() const { return processId_; }
    HANDLE Process() const { return process_; }
    // Milliseconds since Start (a tick count, for figures in benchmarks).
    DWORD ElapsedMs() const;
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    ULONGLONG startTick_ = 0;
};

}  // namespace testing_support
