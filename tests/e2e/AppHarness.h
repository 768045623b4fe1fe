// The program started as an operator starts it: from a working folder that holds the two package
// folders of placeholder driver files, on a chosen Windows version, up to its options form.
#pragma once

#include "support/lib/ProgramRun.h"
#include "support/lib/UiDriver.h"

#include <string>
#include <vector>

namespace app_e2e {

extern const wchar_t kFormTitle[];       // the options form
extern const wchar_t kMessageCaption[];  // every message box of the program

class AppHarness {
public:
    AppHarness() = default;
    ~AppHarness();  // kills a program still running and removes the working folder
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // windowsVersion: a Wine version name ("win7", "win10", ...). omit: package folders or files
    // to leave out of the working folder (see MakeDriverPackages). False when the form did not
    // show within the bound.
    bool StartToForm(const std::wstring& windowsVersion = L"win7",
                     const std::vector<std::wstring>& omit = std::vector<std::wstring>());

    // The next message box of the program; an empty MessageBoxSeen (window null) when none came.
    testing_support::MessageBoxSeen NextMessage(DWORD timeoutMs = testing_support::kUiTimeoutMs);

    DWORD Pid() const { return program.Id(); }

    testing_support::ProgramRun program;
    std::wstring workDir;
    HWND form = nullptr;      // the options form
    DWORD formShownMs = 0;    // from process start to the form found visible
};

}  // namespace app_e2e
