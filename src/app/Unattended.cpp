#include "app/Unattended.h"

#include "app/CommandLine.h"
#include "app/InstallFlow.h"
#include "app/UnattendedConsole.h"
#include "app/UnattendedLog.h"
#include "catalogue/ModelCatalogue.h"
#include "framework/MessageBox.h"
#include "install/DriverRemoval.h"
#include "ports/PrinterProperties.h"
#include "ports/TestPage.h"
#include "ports/UsbPorts.h"
#include "resource.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <winspool.h>

#include <memory>
#include <new>

const wchar_t kUnattendedMutexName[] = L"Global\\VeltoPrinterDriverSetup.CommandLineRun";

int UnattendedAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

namespace {

// The form shows its texts for this language id (Portuguese); a run without the form shows the
// same ones.
constexpr int kFormLanguageId = 1033;
// As in the form: the spooler needs a moment after the queue before it takes a job.
constexpr DWORD kPauseBeforeTestPageMs = 511;

const wchar_t* AnswerName(int answer)
{
    switch (answer) {
    case IDOK:
        return L"OK";
    case IDYES:
        return L"Yes";
    case IDNO:
        return L"No";
    case IDCANCEL:
        return L"Cancel";
    case IDABORT:
        return L"Abort";
    default:
        return L"closed";
    }
}

std::wstring ExitCodeMeaning(int code)
{
    switch (code) {
    case kExitSuccess:
        return L"success";
    case kExitInvalidArguments:
        return L"invalid arguments";
    case kExitFailed:
        return L"failed";
    case kExitAnotherInstance:
        return L"another instance is running";
    case kExitLogFailure:
        return L"the log file cannot be opened";
    default:
        return L"";
    }
}

std::wstring QuotedCommandLine(const std::vector<std::wstring>& arguments)
{
    std::wstring line = framework::AppTitle();
    for (const std::wstring& word : arguments)
        line += word.find(L' ') == std::wstring::npos && !word.empty() ? L" " + word : L" \"" + word + L"\"";
    return line;
}

// One command-line run: where its text goes, and the log that sees every message and trace.
class Session {
public:
    Session(UnattendedLog& log, UnattendedConsole& console, bool quiet) : log_(log), console_(console), quiet_(quiet)
    {
        if (log_.IsOpen()) win32::SetTraceListener([this](const std::wstring& text) { log_.Write(L"trace", text); });
        framework::SetMessageHandler([this](const std::wstring& text, UINT type) { return OnMessage(text, type); });
    }
    ~Session()
    {
        framework::SetMessageHandler({});
        win32::SetTraceListener({});
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Quiet() const { return quiet_; }

    void Step(const std::wstring& text) { log_.Write(L"step", text); }

    // Text the caller asked for (usage, ports): standard output, else a box unless quiet.
    void Output(const std::wstring& text)
    {
        if (console_.CanWriteOut()) {
            console_.Out(text);
        } else if (!quiet_) {
            ShowBox(text);
        }
    }

    // What went wrong: the log, standard error, and a box when nothing else reaches a person
    // (started from a shortcut) unless the caller has shown one already.
    void Error(const std::wstring& text, bool boxWithoutConsole = true)
    {
        log_.Write(L"error", text);
        if (console_.CanWriteErr()) {
            console_.Err(text + L"\r\n");
        } else if (!quiet_ && boxWithoutConsole) {
            ShowBox(text);
        }
    }

    // A closing note on the console, and as a message like the install's own (so only to the
    // log when quiet).
    void Notify(const std::wstring& text)
    {
        console_.Out(text + L"\r\n");
        framework::ShowMessage(text, MB_OK);
    }

    int End(int code)
    {
        log_.Write(L"step", win32::Format(L"Finished: exit code %d (%ls).", code, ExitCodeMeaning(code).c_str()));
        return code;
    }

    // The messages shown since the last call, joined: what an error line says as the reason.
    std::wstring TakeMessages()
    {
        std::wstring joined;
        for (const std::wstring& text : messages_) {
            std::wstring flat = text;
            for (wchar_t& c : flat)
                if (c == L'\n' || c == L'\r') c = L' ';
            joined += (joined.empty() ? L"" : L" ") + flat;
        }
        messages_.clear();
        return joined;
    }

private:
    int OnMessage(const std::wstring& text, UINT type)
    {
        messages_.push_back(text);
        if (quiet_) {
            const int answer = UnattendedAnswer(type);
            log_.Write(L"message", text + L" -> " + AnswerName(answer) + L" (unattended)");
            return answer;
        }
        log_.Write(L"message", text);
        const int answer = ShowBox(text, type);
        log_.Write(L"answer", AnswerName(answer));
        return answer;
    }

    static int ShowBox(const std::wstring& text, UINT type = MB_OK)
    {
        return ::MessageBoxW(::GetActiveWindow(), text.c_str(), framework::AppTitle().c_str(), type);
    }

    UnattendedLog& log_;
    UnattendedConsole& console_;
    const bool quiet_;
    std::vector<std::wstring> messages_;
};

class InstanceLock {
public:
    enum class State { Acquired, HeldByAnother, Unavailable };

    State Acquire(DWORD& error)
    {
        mutex_.reset(::CreateMutexW(nullptr, FALSE, kUnattendedMutexName));
        if (!mutex_) {
            error = ::GetLastError();
            // Made by a run under another account (a deployment service as SYSTEM): it exists, and
            // waiting on it needs no more than SYNCHRONIZE.
            if (error == ERROR_ACCESS_DENIED) {
                mutex_.reset(::OpenMutexW(SYNCHRONIZE, FALSE, kUnattendedMutexName));
                if (!mutex_) return State::HeldByAnother;
            } else {
                return State::Unavailable;
            }
        }
        // Abandoned: an earlier run was ended half-way; its lock is ours now.
        const DWORD wait = ::WaitForSingleObject(mutex_.get(), 0);
        owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        return owned_ ? State::Acquired : State::HeldByAnother;
    }

    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock()
    {
        if (owned_) ::ReleaseMutex(mutex_.get());
    }

private:
    win32::UniqueKernelHandle mutex_;
    bool owned_ = false;
};

struct DetectedSystem {
    const char* arch = "";  // fixed texts of DetectSystem; empty when the version query failed
    const char* edition = "";
    int osIndex = 0;        // as the form preselects it
};

DetectedSystem Detect(Session& session, const ModelCatalogue& catalogue)
{
    DetectedSystem system;
    if (catalogue.DetectSystem(system.arch, system.edition)) {
        system.osIndex = OsIndexForEdition(catalogue.editionNames, system.edition, 0);
        session.Step(L"System: " + win32::FromAnsi(system.edition) + L", " + win32::FromAnsi(system.arch) + L".");
    } else {
        session.Step(L"System: the Windows version cannot be read; the x86 driver is used.");
    }
    return system;
}

struct QueueFacts {
    std::wstring port, driver;
};

bool ReadQueue(const std::wstring& printerName, QueueFacts& facts)
{
    std::wstring name = printerName;
    win32::UniquePrinter printer;
    if (!::OpenPrinterW(&name[0], printer.put(), nullptr)) return false;
    DWORD needed = 0;
    ::GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed + 4]);
    if (!block || !::GetPrinterW(printer.get(), 2, block.get(), needed, &needed)) return false;
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(block.get());
    facts.port = info->pPortName ? info->pPortName : L"";
    facts.driver = info->pDriverName ? info->pDriverName : L"";
    return true;
}

std::wstring CurrentDefaultPrinter()
{
    wchar_t name[512] = {};
    DWORD size = 512;
    return ::GetDefaultPrinterW(name, &size) ? name : L"(none)";
}

// The properties automation without the form: its two timers on a window of our own, which ends
// the run when the end timer fires, as the main window does.
struct PropertiesRun {
    std::wstring printerName;
    int uiLanguageId = 0;
};

LRESULT CALLBACK PropertiesTimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_TIMER) {
        const PropertiesRun* run = reinterpret_cast<const PropertiesRun*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (wParam == properties::kSelectTabTimer && run) {
            SelectPortsTab(window, run->uiLanguageId, run->printerName);
        } else if (wParam == properties::kEndTimer) {
            ::KillTimer(window, properties::kEndTimer);
            ::DestroyWindow(window);
        }
        return 0;
    } else if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void OpenPropertiesWithoutForm(const std::wstring& printerName)
{
    const wchar_t kClass[] = L"VeltoPrinterDriverSetup.PropertiesTimers";
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PropertiesTimerProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    ::RegisterClassW(&windowClass);
    PropertiesRun run{printerName, static_cast<int>(::GetUserDefaultUILanguage())};
    // Message-only: it carries the timers and is never seen.
    const HWND window = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), &run);
    if (!window) return;
    OpenPrinterProperties(window, printerName);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

int RunInstall(Session& session, const CommandLineOptions& options)
{
    ModelCatalogue catalogue;
    const std::wstring& model = catalogue.modelNames[options.modelIndex];
    session.Step(L"Install of " + model + L", interface " + (options.interfaceIndex == 0 ? L"usb" : L"other") +
                 L", default printer " + (options.setDefault ? L"yes" : L"no") + L".");
    const DetectedSystem system = Detect(session, catalogue);

    std::wstring editionName = win32::FromAnsi(system.edition);
    MarkWin8OrLater(editionName);  // before the port search, which reads the flag
    const std::string port = ChoosePort(options.interfaceIndex, FindUsbPrinterPort);
    const std::wstring widePort = win32::FromAnsi(port);
    if (options.interfaceIndex != 0) {
        session.Step(L"Port: " + widePort + L".");
    } else if (QuestionAfterInstall(port) == FlowMessage::TestPageQuestion) {
        session.Step(L"Port: " + widePort + L", the first attached USB printer of a listed maker.");
    } else {
        session.Step(L"Port: " + widePort + L", no USB printer of a listed maker is attached.");
    }

    session.Step(L"Installing the printer driver " + model + L" and its printer on " + widePort + L".");
    session.TakeMessages();
    if (!catalogue.InstallPrinter(system.osIndex, options.modelIndex, options.setDefault ? 1 : 0, port)) {
        const std::wstring reason = session.TakeMessages();
        framework::ShowMessage(FlowText(FlowMessage::InstallFailed, kFormLanguageId), MB_OK);
        session.Error(L"The install of " + model + L" failed" + (reason.empty() ? L"." : L": " + reason), false);
        return kExitFailed;
    }

    // A deployment system counts on the printer being there when the exit code says so.
    QueueFacts queue;
    if (!ReadQueue(catalogue.printerName, queue)) {
        const DWORD error = ::GetLastError();
        framework::ShowMessage(FlowText(FlowMessage::InstallFailed, kFormLanguageId), MB_OK);
        session.Error(L"The install of " + model + L" failed: the printer " + catalogue.printerName +
                          L" is not there: " + win32::ErrorText(error),
                      false);
        return kExitFailed;
    }
    session.Step(L"Printer " + catalogue.printerName + L" on " + queue.port + L" with the driver " + queue.driver +
                 L".");
    if (options.setDefault) session.Step(L"Default printer: " + CurrentDefaultPrinter() + L".");

    const FlowMessage question = QuestionAfterInstall(port);
    const int answer = framework::ShowMessage(FlowText(question, kFormLanguageId), MB_YESNO);
    if (EndCodeAfterAnswer(question, answer) == IDOK) {
        session.Step(L"Opening the properties of " + catalogue.printerName + L".");
        OpenPropertiesWithoutForm(catalogue.printerName);
    } else if (PrintsTestPage(question, answer)) {
        ::Sleep(kPauseBeforeTestPageMs);
        session.Step(L"Printing the test page on " + catalogue.printerName + L".");
        win32::UniqueBitmap logo(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO)));
        const std::string printerName = win32::ToAnsi(catalogue.printerName);
        PrintTestPage(printerName.c_str(), logo.get());
    }
    return kExitSuccess;
}

int RunRemove(Session& session, const CommandLineOptions& options)
{
    const ModelCatalogue catalogue;
    const std::wstring& model = catalogue.modelNames[options.modelIndex];
    session.Step(L"Removal of " + model + L".");
    const DetectedSystem system = Detect(session, catalogue);
    const std::wstring environment = DriverEnvironment(system.arch);

    switch (RemovePrinterDriver(model, environment, [&](const std::wstring& line) { session.Step(line); })) {
    case RemovalOutcome::Removed:
        session.Notify(L"The printer driver " + model + L" and the printers that used it are removed.");
        return kExitSuccess;
    case RemovalOutcome::NothingToRemove:
        session.Notify(L"Nothing to remove: the printer driver " + model + L" is not installed.");
        return kExitSuccess;
    case RemovalOutcome::Failed:
        break;
    }
    framework::ShowMessage(L"The removal of " + model + L" failed.", MB_OK);
    session.Error(L"The removal of " + model + L" failed.", false);
    return kExitFailed;
}

int RunDetect(Session& session)
{
    const ModelCatalogue catalogue;
    const DetectedSystem system = Detect(session, catalogue);
    std::wstring editionName = win32::FromAnsi(system.edition);
    MarkWin8OrLater(editionName);  // on Windows 8 and later the walk skips the link test

    std::wstring ports;
    const std::unique_ptr<UsbPrinterSystem> usb = MakeWin32UsbPrinterSystem();
    const UsbWalkEnd end =
        WalkUsbPrinters(*usb, kUsbPrintInterfaceClass, [&](const std::wstring& devicePath, DWORD portNumber) {
            const std::wstring port = win32::FromAnsi(UsbPortName(portNumber));
            session.Step(L"USB printer port: " + port + L" (" + devicePath + L").");
            ports += port + L"\r\n";
            return true;
        });
    if (!ports.empty()) session.Output(ports);
    if (end == UsbWalkEnd::Failed) {
        session.Error(L"The USB printers cannot be listed.");
        return kExitFailed;
    }
    if (ports.empty()) session.Error(L"No USB printer of a listed maker is attached.");
    return kExitSuccess;
}

}  // namespace

int RunUnattended(const std::vector<std::wstring>& arguments)
{
    UnattendedConsole console;
    console.Attach();

    const ModelCatalogue names;
    const ParsedCommandLine parsed = ParseCommandLine(arguments, names.modelNames);
    const CommandLineOptions& options = parsed.options;

    UnattendedLog log;
    if (!options.logFile.empty()) {
        DWORD error = ERROR_SUCCESS;
        if (!log.Open(options.logFile, error)) {
            Session session(log, console, options.quiet);
            session.Error(L"The log file \"" + options.logFile + L"\" cannot be opened: " + win32::ErrorText(error));
            return kExitLogFailure;
        }
    }

    Session session(log, console, options.quiet);
    session.Step(L"Command line: " + QuotedCommandLine(arguments));
    if (parsed.error != CommandLineError::None) {
        session.Error(parsed.errorText + L" " + framework::AppTitle() + L" /? shows the usage.");
        return session.End(kExitInvalidArguments);
    }

    switch (options.action) {
    case UnattendedAction::Usage:
        session.Output(UsageText(framework::AppTitle(), names.modelNames));
        return session.End(kExitSuccess);
    case UnattendedAction::Detect:
        return session.End(RunDetect(session));
    case UnattendedAction::Install:
    case UnattendedAction::Remove:
        break;
    }

    InstanceLock lock;
    DWORD error = ERROR_SUCCESS;
    switch (lock.Acquire(error)) {
    case InstanceLock::State::Acquired:
        break;
    case InstanceLock::State::HeldByAnother:
        session.Error(L"Another instance of " + framework::AppTitle() +
                      L" is installing or removing; try again when it has finished.");
        return session.End(kExitAnotherInstance);
    case InstanceLock::State::Unavailable:
        // Better an install without the lock than none at all.
        session.Step(L"The instance lock cannot be made: " + win32::ErrorText(error));
        break;
    }
    return session.End(options.action == UnattendedAction::Install ? RunInstall(session, options)
                                                                  : RunRemove(session, options));
}
