// The log of a command-line run: one UTF-8 line per step, message and trace, appended to a file
// that several runs (and a deployment system's own tail) may share.
#pragma once

#include "win32/Handles.h"

#include <windows.h>

#include <mutex>
#include <string>

class UnattendedLog {
public:
    // Opens (or creates) path for appending; a new file gets a UTF-8 byte order mark, which the
    // Notepad of Windows 7 needs to show accents. False with the error code when it cannot.
    bool Open(const std::wstring& path, DWORD& error);
    bool IsOpen() const { return static_cast<bool>(file_); }

    // One line "<local time> [<process id>] <kind> <text>"; no-op while not open. Safe from any
    // thread: traces may come from workers.
    void Write(const wchar_t* kind, const std::wstring& text);

    // The line as written, without its line break.
    static std::wstring FormatLine(const SYSTEMTIME& localTime, DWORD processId, const wchar_t* kind,
                                   const std::wstring& text);

private:
    std::mutex mutex_;
    win32::UniqueHandle file_;
};

// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string ToUtf8(const std::wstring& text);
