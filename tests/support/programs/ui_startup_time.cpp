// Measures the time from process start to the options form being visible: one warm-up run, then
// a number of measured runs (first argument, default 7). Prints each figure and the median, to
// standard output and to startup-time.txt in the build folder. With "notepad" as the second
// argument it measures Wine's Notepad to its window instead: the cost of any Windows program with
// a window on this machine, to compare with.
#include "support/lib/DriverPackages.h"
#include "support/lib/ProgramRun.h"
#include "support/lib/UiDriver.h"
#include "support/lib/WineHost.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    using namespace testing_support;
    int runs = commandLine && *commandLine ? _wtoi(commandLine) : 7;
    if (runs < 1) runs = 7;
    const bool notepad = commandLine && std::wcsstr(commandLine, L"notepad") != nullptr;
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = notepad ? std::wstring(system) + L"\\notepad.exe" : ProgramPath();
    const std::wstring title = notepad ? L"Untitled - Notepad" : L"Configuração de Instalação";

    const std::wstring work = MakeScratchDir(L"startup");
    if (work.empty() || !MakeDriverPackages(work)) return 2;

    std::vector<double> times;
    std::string report;
    for (int i = 0; i <= runs; ++i) {
        ProgramRun run;
        LARGE_INTEGER frequency, start, now;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        if (!run.Start(program, work)) return 3;
        HWND form = nullptr;
        for (;;) {
            form = FindTopWindow(run.Id(), title);
            ::QueryPerformanceCounter(&now);
            const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart);
            if (form || ms > 20000) {
                if (!form) return 4;
                char line[64];
                std::snprintf(line, sizeof(line), "%s %d: %.0f ms\n", i == 0 ? "warm-up" : "run", i, ms);
                report += line;
                if (i > 0) times.push_back(ms);
                break;
            }
            ::Sleep(2);
        }
        if (notepad)
            ::PostMessageW(form, WM_CLOSE, 0, 0);
        else
            Click(form, 1020);  // Cancelar
        run.WaitForExit(10000);
    }
    std::sort(times.begin(), times.end());
    char line[96];
    std::snprintf(line, sizeof(line), "%s: median of %d runs: %.0f ms\n", notepad ? "notepad" : "options form", runs,
                  times[times.size() / 2]);
    report += line;
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    WriteFileBytes(BuildDir() + L"\\startup-time.txt", report);
    RemoveTree(work);
    return 0;
}
