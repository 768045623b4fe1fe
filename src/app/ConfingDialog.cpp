#include "app/ConfingDialog.h"

#include "app/InstallFlow.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "ports/PortReport.h"
#include "ports/TestPage.h"
#include "ports/UsbPorts.h"
#include "resource.h"
#include "win32/Text.h"
#include "win32/Trace.h"

namespace {

// Timers of the form.
constexpr UINT_PTR kReenableFormTimer = 1;      // 5000 ms after a serial driver launch
constexpr UINT_PTR kWatchInstallerTimer = 2;    // 500 ms, follows the driver package installer
constexpr UINT_PTR kReenableDetectTimer = 3;    // 2000 ms after "Verificar Porta USB"
constexpr UINT kReenableDetectPeriodMs = 2000;

// The spooler needs a moment after creating the queue before a job prints on it.
constexpr DWORD kPauseBeforeTestPageMs = 511;

constexpr int kModelAndDefaultIds[] = {IDC_MODEL_ROW0, IDC_MODEL_ROW1, IDC_MODEL_ROW2, IDC_MODEL_ROW3,
                                       IDC_MODEL_ROW4, IDC_MODEL_ROW5, IDC_MODEL_ROW6, IDC_SET_DEFAULT};

}  // namespace

const framework::CommandRoute<ConfingDialog> ConfingDialog::kRoutes[] = {
    {IDC_EXIT, BN_CLICKED, &ConfingDialog::OnExit},
    {IDC_SERIAL_DRIVER, BN_CLICKED, &ConfingDialog::OnSerialDriverRadio},
    {IDC_PRINTER_DRIVER, BN_CLICKED, &ConfingDialog::OnPrinterDriverRadio},
    {IDC_START_INSTALL, BN_CLICKED, &ConfingDialog::OnStartInstall},
    {IDC_DETECT_USB_PORT, BN_CLICKED, &ConfingDialog::OnDetectUsbPort},
    {IDC_RECOMMEND, STN_DBLCLK, &ConfingDialog::OnRecommendDblClk},
};

ConfingDialog::ConfingDialog() : framework::Dialog(IDD_OPTIONS)
{
    remarkFont.reset(::CreateFontW(12, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
    languageId = 1033;
}

bool ConfingDialog::OnCommand(int id, int notification)
{
    return framework::RouteCommand(*this, kRoutes, id, notification);
}

BOOL ConfingDialog::OnInitDialog()
{
    framework::Dialog::OnInitDialog();
    logoBitmap.reset(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO)));
    hiddenClickCount = 0;

    HWND recommend = Item(IDC_RECOMMEND);
    ::SetWindowLongW(recommend, GWL_STYLE, ::GetWindowLongW(recommend, GWL_STYLE) | SS_NOTIFY);
    ::SendMessageW(Item(IDC_REMARK), WM_SETFONT, reinterpret_cast<WPARAM>(remarkFont.get()), TRUE);

    if (languageId != kChineseLanguageId) {
        ::SetWindowTextW(Window(), kPortugueseOptionsTitle);
        size_t count = 0;
        const ControlCaption* captions = PortugueseCaptions(count);
        for (size_t i = 0; i < count; ++i) ::SetWindowTextW(Item(captions[i].id), captions[i].text);
    }

    {
        const ModelCatalogue detection;
        const char* detectedArch = nullptr;
        const char* detectedEdition = nullptr;
        if (detection.DetectSystem(detectedArch, detectedEdition)) {
            archName = win32::FromAnsi(detectedArch);
            editionName = win32::FromAnsi(detectedEdition);
        }
        recommendText = RecommendText(languageId, editionName, archName);
        osIndex = OsIndexForEdition(detection.editionNames, detectedEdition, osIndex);
    }

    UpdateData(false);
    return TRUE;
}

void ConfingDialog::DoDataExchange(framework::DataExchange& exchange)
{
    framework::ExchangeRadio(exchange, IDC_OS_WIN10, osIndex);
    framework::ExchangeRadio(exchange, IDC_SERIAL_DRIVER, driverKind);
    framework::ExchangeRadio(exchange, IDC_MODEL_ROW0, modelIndex);
    framework::ExchangeText(exchange, IDC_RECOMMEND, recommendText);
    framework::ExchangeCheck(exchange, IDC_SET_DEFAULT, setDefault);
    framework::ExchangeRadio(exchange, IDC_INTERFACE_USB, interfaceIndex);
    framework::ValidateRange(exchange, interfaceIndex, 0, 99);
}

void ConfingDialog::EnableModelChoice(bool enable)
{
    for (int id : kModelAndDefaultIds) EnableItem(id, enable);
}

void ConfingDialog::OnSerialDriverRadio() { EnableModelChoice(false); }

void ConfingDialog::OnPrinterDriverRadio() { EnableModelChoice(true); }

void ConfingDialog::OnExit() { EndDialog(IDCANCEL); }

void ConfingDialog::OnStartInstall()
{
    UpdateData(true);
    if (modelIndex == -1) {
        framework::ShowMessage(FlowText(FlowMessage::NoModel, languageId), MB_OK);
        return;
    }
    resultPrinterName = catalogue.modelNames[modelIndex];

    if (driverKind != 1) {
        StartSerialDriverInstall(Window(), archName, serialPortsBefore);
        return;
    }

    // From here every outcome ends the dialog, so nothing enables these again.
    EnableModelChoice(false);
    EnableItem(IDC_START_INSTALL, false);
    EnableItem(IDC_EXIT, false);
    EnableItem(IDC_DETECT_USB_PORT, false);

    MarkWin8OrLater(editionName);  // before the port search, which reads the flag
    const std::string port = ChoosePort(interfaceIndex, FindUsbPrinterPort);

    if (!catalogue.InstallPrinter(osIndex, modelIndex, setDefault, port)) {
        framework::ShowMessage(FlowText(FlowMessage::InstallFailed, languageId), MB_OK);
        EndDialog(IDCANCEL);
        return;
    }

    const FlowMessage question = QuestionAfterInstall(port);
    const int answer = framework::ShowMessage(FlowText(question, languageId), MB_YESNO);
    if (EndCodeAfterAnswer(question, answer) == IDOK) {
        resultPrinterName = catalogue.printerName;
        OnOK();
        return;
    }
    if (PrintsTestPage(question, answer)) {
        ::Sleep(kPauseBeforeTestPageMs);
        const std::string printerName = win32::ToAnsi(catalogue.printerName);
        PrintTestPage(printerName.c_str(), logoBitmap.get());
    }
    EndDialog(IDCANCEL);
}

void ConfingDialog::OnDetectUsbPort()
{
    SetTimer(kReenableDetectTimer, kReenableDetectPeriodMs);
    EnableItem(IDC_DETECT_USB_PORT, false);
    g_reportLanguage = static_cast<DWORD>(languageId);
    win32::Trace(editionName);
    MarkWin8OrLater(editionName);  // on Windows 8 and later the walk skips the link test
    ReportUsbPorts(kUsbPrintInterfaceClass);
}

void ConfingDialog::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kReenableFormTimer:
        EnableItem(IDC_START_INSTALL, true);
        EnableItem(IDC_EXIT, true);
        EnableItem(IDC_DETECT_USB_PORT, true);
        OnPrinterDriverRadio();
        KillTimer(kReenableFormTimer);
        break;
    case kWatchInstallerTimer:
        WatchDriverInstaller(Window(), languageId, serialPortsBefore, serialPortsAfter);
        break;
    case kReenableDetectTimer:
        EnableItem(IDC_DETECT_USB_PORT, true);
        KillTimer(kReenableDetectTimer);
        break;
    default:
        break;
    }
}

HBRUSH ConfingDialog::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    HBRUSH brush = framework::Dialog::OnCtlColor(dc, control, controlType);
    if (::GetDlgCtrlID(control) == IDC_REMARK) ::SetTextColor(dc, RGB(180, 40, 40));
    return brush;
}

void ConfingDialog::OnRecommendDblClk()
{
    if (++hiddenClickCount == 5) {
        framework::ShowMessage(HiddenMessage(), MB_OK);
        hiddenClickCount = 0;
    }
}
