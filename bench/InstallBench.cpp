// Figures for the install engine, run under Wine:
//   the wall time of one InstallPrinter beside its floor of fixed spooler pauses (3 x 111 ms),
//   median of several runs in one prefix (each run's queue is deleted again, so every run sees
//   the same spooler);
//   the unique-name search on 1,000 existing printer names of which 50 are copy-numbered names of
//   the model. Creating 1,000 queues under Wine takes minutes, so that figure feeds the search
//   the list directly; its trace lines still go to the debugger output, as in the program.
#include "catalogue/ModelCatalogue.h"
#include "framework/MessageBox.h"
#include "install/UniqueName.h"
#include "support/lib/DriverPackages.h"
#include "support/lib/WineHost.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void DeleteQueue(const std::wstring& name)
{
    win32::UniquePrinter printer;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterW(const_cast<LPWSTR>(name.c_str()), printer.put(), &access)) ::DeletePrinter(printer.get());
}

// 949 other printers, the model's own name and its copies 1 to 50.
std::vector<std::wstring> ExistingNames(const std::wstring& model, bool worstOrder)
{
    std::vector<std::wstring> others;
    for (int i = 0; i < 949; ++i) others.push_back(win32::Format(L"Office printer %d", i));
    std::vector<std::wstring> ours = {model};
    for (int n = 1; n <= 50; ++n) ours.push_back(win32::Format(L"%ls (copy %d)", model.c_str(), n));

    std::vector<std::wstring> names;
    if (worstOrder) {
        // Each candidate sits as far back as it can: every restart scans almost the whole list.
        names = others;
        names.insert(names.end(), ours.rbegin(), ours.rend());
    } else {
        names = others;
        names.insert(names.end(), ours.begin(), ours.end());
        std::mt19937 random(2052);
        std::shuffle(names.begin(), names.end(), random);
    }
    return names;
}

}  // namespace

int main()
{
    const int runs = 7;
    const std::wstring work = testing_support::MakeScratchDir(L"bench");
    if (work.empty() || !testing_support::MakeDriverPackages(work) || !::SetCurrentDirectoryW(work.c_str())) {
        std::printf("cannot prepare the package folders\n");
        return 1;
    }
    int messages = 0;
    framework::SetMessageHandler([&](const std::wstring&, UINT) {
        ++messages;
        return IDOK;
    });

    ModelCatalogue catalogue;
    std::vector<double> installMs;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        const bool ok = catalogue.InstallPrinter(0, 3, 0, "LPT1:");
        installMs.push_back(NowMs() - start);
        if (!ok || messages) {
            std::printf("install failed (run %d, %d message boxes)\n", run, messages);
            return 1;
        }
        DeleteQueue(catalogue.printerName);
    }
    // On a busy machine a pause lasts longer than asked; measure what three of them really take.
    std::vector<double> pausesMs;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        for (int pause = 0; pause < 3; ++pause) ::Sleep(111);
        pausesMs.push_back(NowMs() - start);
    }
    const double floorMs = 3 * 111.0;
    const double median = Median(installMs);
    std::printf("InstallPrinter, median of %d runs: %.1f ms (min %.1f, max %.1f); pause floor %.0f ms "
                "(3 pauses measured here: median %.1f ms); above the floor %.1f ms (above the measured "
                "pauses %.1f ms)\n",
                runs, median, *std::min_element(installMs.begin(), installMs.end()),
                *std::max_element(installMs.begin(), installMs.end()), floorMs, Median(pausesMs),
                median - floorMs, median - Median(pausesMs));

    const std::wstring model = catalogue.modelNames[3];
    for (const bool worst : {false, true}) {
        const std::vector<std::wstring> names = ExistingNames(model, worst);
        for (const bool traced : {true, false}) {
            std::vector<double> times;
            size_t lines = 0;
            std::wstring result;
            for (int run = 0; run < 5; ++run) {
                lines = 0;
                const double start = NowMs();
                result = UniquePrinterName(model, names, [&](const std::wstring& line) {
                    ++lines;
                    if (traced) win32::Trace(line);
                });
                times.push_back(NowMs() - start);
            }
            std::printf("unique name among 1000 printers (%s order, %s): median %.2f ms, %zu comparisons, "
                        "result \"%s\"\n",
                        worst ? "worst" : "shuffled", traced ? "traced to the debugger output" : "no trace output",
                        Median(times), lines, win32::ToAnsi(result).c_str());
        }
    }

    framework::SetMessageHandler({});
    ::SetCurrentDirectoryW(testing_support::BuildDir().c_str());
    testing_support::RemoveTree(work);
    return 0;
}
