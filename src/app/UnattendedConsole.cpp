#include "app/UnattendedConsole.h"

#include "app/UnattendedLog.h"

namespace {

// A standard handle that a parent really gave us: a file, a pipe or a console. The value a window
// program sees when nothing was redirected is null or names nothing of this process.
bool IsRedirected(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE) return false;
    ::SetLastError(ERROR_SUCCESS);
    const DWORD type = ::GetFileType(handle);
    return type != FILE_TYPE_UNKNOWN || ::GetLastError() == ERROR_SUCCESS;
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

}  // namespace

void UnattendedConsole::Attach()
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    if (IsRedirected(out)) out_ = {out, IsConsole(out)};
    if (IsRedirected(err)) err_ = {err, IsConsole(err)};
    if (out_.handle && err_.handle) return;

    // Started from a command prompt without redirection: the prompt's console. Started from
    // Explorer, a service or a scheduled task there is none, and the run writes only its log.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) return;
    console_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (!console_) return;
    if (!out_.handle) out_ = {console_.get(), true};
    if (!err_.handle) err_ = {console_.get(), true};
}

void UnattendedConsole::Write(const Target& target, const std::wstring& text)
{
    if (!target.handle || text.empty()) return;
    DWORD written = 0;
    if (target.console) {
        ::WriteConsoleW(target.handle, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    ::WriteFile(target.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void UnattendedConsole::Out(const std::wstring& text) { Write(out_, text); }

void UnattendedConsole::Err(const std::wstring& text) { Write(err_.handle ? err_ : out_, text); }
