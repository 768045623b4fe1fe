#include "support/lib/ProgramRun.h"

#include "win32/Handles.h"

#include <vector>

namespace testing_support {

bool SetWindowsVersion(const std::wstring& version)
{
    win32::UniqueKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), L"Version", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(version.c_str()), bytes) == ERROR_SUCCESS;
}

ProgramRun::~ProgramRun()
{
    Kill();
    if (process_) ::CloseHandle(process_);
}

bool ProgramRun::Start(const std::wstring& program, const std::wstring& workDir, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    startTick_ = ::GetTickCount64();
    if (!::CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool ProgramRun::WaitForExit(DWORD timeoutMs)
{
    return process_ && ::WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool ProgramRun::Running() const
{
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD ProgramRun::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_, &code);
    return code;
}

DWORD ProgramRun::ElapsedMs() const { return static_cast<DWORD>(::GetTickCount64() - startTick_); }

void ProgramRun::Kill()
{
    if (Running()) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 5000);
    }
}

}  // namespace testing_support
