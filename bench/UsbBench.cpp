// Times one FindUsbPrinterPort and one port check (ReportUsbPorts, its box answered at once) with
// 255 simulated USB printer interfaces. Run in a fresh prefix: it writes HKLM and dosdevices.
//   VELTO_FRESH_PREFIX=1 <build>/wine-exec <build>/bench/UsbBench.exe
#include "framework/MessageBox.h"
#include "ports/PortReport.h"
#include "ports/UsbPorts.h"
#include "support/lib/UsbSimulation.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace testing_support;

namespace {

constexpr int kInterfaces = 255;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeOnce(const std::function<void()>& run)
{
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    run();
    ::QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

struct Figures {
    double median, low, high;
};

Figures Repeat(int times, const std::function<void()>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) ms.push_back(TimeOnce(run));
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

std::vector<SimulatedUsbPrinter> AttachPrinters(int unlisted)
{
    std::vector<SimulatedUsbPrinter> printers;
    for (int i = 0; i < kInterfaces; ++i) {
        SimulatedUsbPrinter printer;
        wchar_t instance[32];
        swprintf(instance, 32, L"5&bench&0&%03d", i);
        printer.hardwareId = i < unlisted ? L"VID_0000&PID_5011" : L"VID_0416&PID_5011";
        printer.instance = instance;
        printer.portNumber = static_cast<DWORD>(i + 1);
        if (!AttachUsbPrinter(printer) || !ConnectUsbDevice(printer)) {
            std::printf("could not attach printer %d\n", i);
            return {};
        }
        printers.push_back(printer);
    }
    return printers;
}

void Detach(const std::vector<SimulatedUsbPrinter>& printers)
{
    for (const SimulatedUsbPrinter& printer : printers) {
        DetachUsbPrinter(printer);
        DisconnectUsbDevice(printer);
    }
}

}  // namespace

int main()
{
    std::string port;
    std::printf("%d simulated USB printer interfaces\n", kInterfaces);

    // The first interface qualifies: the search stops there.
    std::vector<SimulatedUsbPrinter> printers = AttachPrinters(0);
    if (printers.empty()) return 1;
    Figures find = Repeat(20, [&] { FindUsbPrinterPort(port); });
    std::printf("FindUsbPrinterPort, first qualifies:  median %.1f ms (%.1f..%.1f) -> %s\n", find.median, find.low,
                find.high, port.c_str());

    g_reportLanguage = 1033;
    framework::SetMessageHandler([](const std::wstring&, UINT) { return IDOK; });
    std::vector<double> returned;
    const Figures report = Repeat(3, [&] {
        UsbTraceCapture traces;
        returned.push_back(TimeOnce([] { ReportUsbPorts(kUsbPrintInterfaceClass); }));
        traces.WaitFor(L"print scuessful !", kInterfaces, 30000);
    });
    std::sort(returned.begin(), returned.end());
    std::printf("ReportUsbPorts, all %d qualify:     returns after median %.0f ms (%.0f..%.0f), %d x 10 ms pauses "
                "included; all notes written after median %.0f ms\n",
                kInterfaces, returned[1], returned.front(), returned.back(), kInterfaces, report.median);
    framework::SetMessageHandler({});
    Detach(printers);

    // Only the last interface qualifies: the whole walk.
    printers = AttachPrinters(kInterfaces - 1);
    if (printers.empty()) return 1;
    find = Repeat(20, [&] { FindUsbPrinterPort(port); });
    std::printf("FindUsbPrinterPort, last qualifies:   median %.1f ms (%.1f..%.1f) -> %s\n", find.median, find.low,
                find.high, port.c_str());
    Detach(printers);
    return 0;
}
