#include "e2e/UnattendedHarness.h"

#include "support/lib/DriverPackages.h"
#include "support/lib/ProgramRun.h"
#include "support/lib/UiDriver.h"
#include "support/lib/WineHost.h"
#include "win32/Handles.h"

#include <thread>

namespace cli_e2e {

namespace {

struct WindowScan {
    DWORD processId;
    std::vector<std::wstring>* seen;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM param)
{
    const WindowScan& scan = *reinterpret_cast<const WindowScan*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != scan.processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[128] = {};
    ::GetClassNameW(window, className, 128);
    const std::wstring entry = std::wstring(className) + L"|" + testing_support::WindowText(window);
    for (const std::wstring& known : *scan.seen)
        if (known == entry) return TRUE;
    scan.seen->push_back(entry);
    return TRUE;
}

// Reads a pipe to its end on a thread of its own, so that a full pipe never blocks the program.
std::thread Drain(HANDLE pipe, std::string& into)
{
    return std::thread([pipe, &into] {
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) into.append(buffer, read);
    });
}

}  // namespace

UnattendedHarness::~UnattendedHarness()
{
    if (!workDir.empty()) testing_support::RemoveTree(workDir);
}

bool UnattendedHarness::Prepare(const std::wstring& windowsVersion, const std::vector<std::wstring>& omit)
{
    if (!testing_support::SetWindowsVersion(windowsVersion)) return false;
    workDir = testing_support::MakeScratchDir(L"cli");
    return !workDir.empty() && testing_support::MakeDriverPackages(workDir, omit);
}

CliResult UnattendedHarness::Run(const std::wstring& arguments, DWORD timeoutMs) const
{
    CliResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    win32::UniqueKernelHandle outRead, outWrite, errRead, errWrite;
    if (!::CreatePipe(outRead.put(), outWrite.put(), &inherit, 0) ||
        !::CreatePipe(errRead.put(), errWrite.put(), &inherit, 0))
        return result;
    ::SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);

    const std::wstring program = testing_support::ProgramPath();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, workDir.c_str(),
                          &startup, &info))
        return result;
    ::CloseHandle(info.hThread);
    win32::UniqueKernelHandle process(info.hProcess);
    // Our copies of the write ends go, so that the reads end when the program's do.
    outWrite.reset();
    errWrite.reset();
    std::thread outReader = Drain(outRead.get(), result.out);
    std::thread errReader = Drain(errRead.get(), result.err);

    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        WindowScan scan{info.dwProcessId, &result.windowsSeen};
        ::EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&scan));
        if (::WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            result.ended = true;
            break;
        }
        if (::GetTickCount64() >= end) {
            ::TerminateProcess(process.get(), 99);
            ::WaitForSingleObject(process.get(), 5000);
            break;
        }
    }
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    outReader.join();
    errReader.join();
    return result;
}

std::string UnattendedHarness::ReadFile(const std::wstring& name) const
{
    std::string bytes;
    testing_support::ReadFileBytes(workDir + L"\\" + name, bytes);
    return bytes;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string::npos) stop = text.size();
        std::string line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = stop + 1;
    }
    return lines;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

}  // namespace cli_e2e
