// Where a command-line run writes its text. The program is a window-subsystem executable: Windows
// gives it no console, so it uses the standard handles a parent redirected (a pipe, a file) and
// otherwise attaches to the console of the process that started it.
#pragma once

#include "win32/Handles.h"

#include <windows.h>

#include <string>

class UnattendedConsole {
public:
    // Takes the redirected standard handles and, for those that are not, the parent's console.
    // Call it first: the handle values a window program inherits without redirection mean
    // nothing, and a later handle of our own could carry the same value.
    void Attach();

    // Whether Out and Err reach anyone: without that a run that is not quiet shows its text in
    // a message box instead.
    bool CanWriteOut() const { return out_.handle != nullptr; }
    bool CanWriteErr() const { return err_.handle != nullptr || out_.handle != nullptr; }

    // Text with its line breaks (\r\n). Output goes to standard output, errors to standard error
    // (to standard output when only that is there). A console gets UTF-16, a file or pipe UTF-8.
    void Out(const std::wstring& text);
    void Err(const std::wstring& text);

private:
    struct Target {
        HANDLE handle = nullptr;  // borrowed standard handle, or console_ below
        bool console = false;
    };
    static void Write(const Target& target, const std::wstring& text);

    Target out_, err_;
    win32::UniqueHandle console_;  // CONOUT$ of the attached console
};
