// Measures the time from process start to the options form being visible: one warm-up run, then
// a number of measured runs (first argument, default 7). Prints each figure and the median, to
// standard output and to startup-time.txt in the build folder.
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

    const std::wstring work = MakeScratchDir(L"startup");
    if (work.empty() || !MakeDriverPackages(work)) return 2;

    std::vector<double> times;
    std::string report;
    for (int i = 0; i <= runs; ++i) {
        ProgramRun program;
        LARGE_INTEGER frequency, start, now;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        if (!program.Start(ProgramPath(), work)) return 3;
        HWND form = nullptr;
        for (;;) {
            form = FindTopWindow(program.Id(), L"Configuração de Instalação");
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
        Click(form, 1020);  // Cancelar
        program.WaitForExit(10000);
    }
    std::sort(times.begin(), times.end());
    char line[96];
    std::snprintf(line, sizeof(line), "median of %d runs: %.0f ms\n", runs, times[times.size() / 2]);
    report += line;
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    WriteFileBytes(BuildDir() + L"\\startup-time.txt", report);
    RemoveTree(work);
    return 0;
}
