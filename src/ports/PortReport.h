// The USB port check: every qualifying USB printer prints a note naming its own port, and the
// operator gets the list of ports on screen.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Worker.h"

class UsbPrinterSystem;

// Language of the summary and the notes; 2052 selects Chinese, any other value Portuguese.
extern DWORD g_reportLanguage;

// Walks the interfaces of interfaceClass, starts one note-printing worker per qualifying printer
// and shows the summary. True when at least one printer qualified.
bool ReportUsbPorts(GUID interfaceClass);

// The same over a given system, with a given worker start (tests take over both).
using StartWorkerFunction = bool (*)(framework::WorkerProc proc, void* param);
bool ReportUsbPorts(GUID interfaceClass, UsbPrinterSystem& system,
                    StartWorkerFunction startWorker = framework::StartWorker);

// Texts of the report in the given language.
std::wstring SummaryHeader(DWORD language);
// The summary so far followed by a tab, the port name, " ;" and a line break.
std::wstring AddSummaryLine(const std::wstring& summary, DWORD portNumber);
std::wstring PrinterNote(DWORD language, DWORD portNumber);
std::wstring NoPrinterText(DWORD language);

// 20 line feeds, then GS V 1 (partial cut): sent after every note.
extern const char kNoteTail[];
constexpr size_t kNoteTailSize = 23;

// The note followed by the tail widened through the thread's ANSI code page.
std::wstring ReportText(const std::wstring& note);

// The bytes sent for a report text: the text in codePage, sized by asking the system, without the
// terminator. False when the text does not convert (nothing is then to be sent).
bool ReportBytes(const std::wstring& reportText, UINT codePage, std::string& bytes);

// What one worker is given. It owns copies of what it needs, so the launcher can free its own
// buffers at once; the worker deletes it when it ends.
struct PortReportJob {
    std::wstring devicePath;
    std::wstring reportText;

    PortReportJob(std::wstring path, std::wstring text);
    ~PortReportJob();
    PortReportJob(const PortReportJob&) = delete;
    PortReportJob& operator=(const PortReportJob&) = delete;
};

// Jobs not yet released (by their worker, or by the launcher when no worker started).
long PortReportJobsAlive();

// The worker procedure: param is a PortReportJob* it takes over. Sends the report text in the
// thread's ANSI code page to the device path in one write. Always 0.
unsigned PrintPortReport(void* param);
