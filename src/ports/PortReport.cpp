#include "ports/PortReport.h"

#include "framework/MessageBox.h"
#include "ports/UsbPorts.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <atomic>
#include <memory>
#include <vector>

DWORD g_reportLanguage = 2052;

const char kNoteTail[] = "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\x1d\x56\x01";
static_assert(sizeof kNoteTail == kNoteTailSize + 1, "20 line feeds and the 3-byte cut");

namespace {

constexpr DWORD kChinese = 2052;

std::atomic<long> g_jobsAlive{0};

}  // namespace

std::wstring SummaryHeader(DWORD language)
{
    return language == kChinese ? L"当前USB打印机的打印端口是：\r\n" : L"A porta USB atual da impressora é :\r\n";
}

std::wstring AddSummaryLine(const std::wstring& summary, DWORD portNumber)
{
    return win32::Format(L"%ls\tUSB%03d ;\r\n", summary.c_str(), static_cast<int>(portNumber));
}

std::wstring PrinterNote(DWORD language, DWORD portNumber)
{
    if (language == kChinese)
        return win32::Format(L"********************\r\n*%19lc\r\n* 您使用的当前打印 *\r\n* 机USB打印端口是  *\r\n"
                             L"*      USB%03d      *\r\n*%19lc\r\n********************\r\n",
                             static_cast<wint_t>(L'*'), static_cast<int>(portNumber), static_cast<wint_t>(L'*'));
    return win32::Format(L"\r\n A porta USB atual da impressora é USB%03d \r\n", static_cast<int>(portNumber));
}

std::wstring NoPrinterText(DWORD language)
{
    return language == kChinese ? L"USB打印机没有接入设备" : L"Não foi encontrada uma impressora USB !";
}

std::wstring ReportText(const std::wstring& note)
{
    std::wstring tail;
    win32::FromAnsi(std::string(kNoteTail, kNoteTailSize), tail);
    return win32::Format(L"%ls%ls", note.c_str(), tail.c_str());
}

bool ReportBytes(const std::wstring& reportText, UINT codePage, std::string& bytes)
{
    bytes.clear();
    const int size = ::WideCharToMultiByte(codePage, 0, reportText.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::vector<char> narrow(static_cast<size_t>(size));
    const int converted =
        ::WideCharToMultiByte(codePage, 0, reportText.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    if (converted <= 0) return false;
    bytes.assign(narrow.data(), static_cast<size_t>(converted - 1));
    return true;
}

PortReportJob::PortReportJob(std::wstring path, std::wstring text)
    : devicePath(std::move(path)), reportText(std::move(text))
{
    ++g_jobsAlive;
}

PortReportJob::~PortReportJob() { --g_jobsAlive; }

long PortReportJobsAlive() { return g_jobsAlive.load(); }

unsigned PrintPortReport(void* param)
{
    std::unique_ptr<PortReportJob> job(static_cast<PortReportJob*>(param));
    std::string bytes;
    if (!ReportBytes(job->reportText, CP_THREAD_ACP, bytes)) {
        win32::Trace(L"convert usb report failed !");
        return 0;
    }
    win32::UniqueHandle device(::CreateFileW(job->devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    if (!device) {
        win32::Trace(L"open usb device failed !");
        return 0;
    }
    DWORD written = 0;
    // A short write is not retried: the printer gets one write, and the count is only traced.
    if (::WriteFile(device.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        win32::Trace(L"print scuessful !");
    else
        win32::Trace(L"print failed !");
    return 0;
}

bool ReportUsbPorts(GUID interfaceClass, UsbPrinterSystem& system, StartWorkerFunction startWorker)
{
    const DWORD language = g_reportLanguage;
    std::wstring summary = SummaryHeader(language);
    bool anyPrinter = false;
    const UsbWalkEnd end =
        WalkUsbPrinters(system, interfaceClass, [&](const std::wstring& devicePath, DWORD portNumber) {
            anyPrinter = true;
            summary = AddSummaryLine(summary, portNumber);
            auto job = std::make_unique<PortReportJob>(devicePath, ReportText(PrinterNote(language, portNumber)));
            if (startWorker(PrintPortReport, job.get())) static_cast<void>(job.release());  // the worker owns it now
            // Lets each worker open its printer before the next one is started.
            ::Sleep(10);
            return true;
        });
    if (end == UsbWalkEnd::Failed) return false;
    if (!anyPrinter) {
        win32::Trace(L"USB打印机没有接入设备");
        framework::ShowMessage(NoPrinterText(language), MB_OK);
        return false;
    }
    win32::Trace(summary);
    framework::ShowMessage(summary, MB_OK);
    return true;
}

bool ReportUsbPorts(GUID interfaceClass)
{
    const std::unique_ptr<UsbPrinterSystem> system = MakeWin32UsbPrinterSystem();
    return ReportUsbPorts(interfaceClass, *system);
}
