// The program run with arguments as a deployment system runs it: from a working folder with the
// package folders, standard output and error on pipes, the exit code read at the end, and every
// visible top-level window of the process noted while it runs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace cli_e2e {

struct CliResult {
    bool ended = false;             // within the bound; false: killed
    DWORD exitCode = STILL_ACTIVE;
    std::string out, err;           // the bytes written to standard output and error
    std::vector<std::wstring> windowsSeen;  // "class|title" of each visible top-level window
};

class UnattendedHarness {
public:
    UnattendedHarness() = default;
    ~UnattendedHarness();  // removes the working folder
    UnattendedHarness(const UnattendedHarness&) = delete;
    UnattendedHarness& operator=(const UnattendedHarness&) = delete;

    // windowsVersion: a Wine version name. omit: package folders or files to leave out.
    bool Prepare(const std::wstring& windowsVersion = L"win7",
                 const std::vector<std::wstring>& omit = std::vector<std::wstring>());

    // Runs the program with arguments to its end (at most timeoutMs).
    CliResult Run(const std::wstring& arguments, DWORD timeoutMs = 60000) const;

    // A file of the working folder (the log), as bytes; empty when there is none.
    std::string ReadFile(const std::wstring& name) const;

    std::wstring workDir;
};

// The lines of a log or an output, without their line breaks and without a leading byte order
// mark.
std::vector<std::string> Lines(const std::string& text);

// UTF-16 to UTF-8, to compare with what the program wrote.
std::string Utf8(const std::wstring& text);

}  // namespace cli_e2e
