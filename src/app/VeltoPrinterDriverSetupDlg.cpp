#include "app/VeltoPrinterDriverSetupDlg.h"

#include "app/AboutDlg.h"
#include "app/InstallFlow.h"
#include "ports/PrinterProperties.h"
#include "resource.h"

namespace {

constexpr COLORREF kBackdropColour = RGB(0, 100, 160);
constexpr COLORREF kTitleColour = RGB(0, 20, 140);

// Timers started by the properties automation.
constexpr UINT_PTR kSelectPortsTabTimer = 2;
constexpr UINT_PTR kEndProgramTimer = 3;

}  // namespace

CVeltoPrinterDriverSetupDlg::CVeltoPrinterDriverSetupDlg() : framework::Dialog(IDD_MAIN_WINDOW)
{
    backgroundBrush.reset(::CreateSolidBrush(kBackdropColour));
    appIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    titleFont.reset(::CreateFontW(50, 0, 0, 0, FW_BOLD, TRUE, TRUE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"微软雅黑"));
}

// The icon is a shared resource icon (LoadIcon): nothing to free.
CVeltoPrinterDriverSetupDlg::~CVeltoPrinterDriverSetupDlg() = default;

BOOL CVeltoPrinterDriverSetupDlg::OnInitDialog()
{
    framework::Dialog::OnInitDialog();
    ::SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont.get()), TRUE);

    if (HMENU systemMenu = ::GetSystemMenu(Window(), FALSE)) {
        wchar_t aboutText[128] = {};
        if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, aboutText, 128) > 0) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    uiLanguageId = ::GetUserDefaultUILanguage();
    ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    ::ShowWindow(Window(), SW_SHOWMAXIMIZED);

    const INT_PTR endCode = optionsDialog.DoModal(Window());
    switch (ActionOnOptionsEnd(endCode, optionsDialog.driverKind, optionsDialog.resultPrinterName)) {
    case OptionsEndAction::CloseProgram:
        EndDialog(IDCANCEL);
        break;
    case OptionsEndAction::OpenProperties:
        portPrinterName = optionsDialog.resultPrinterName;
        OpenPrinterProperties(Window(), portPrinterName);
        break;
    case OptionsEndAction::StayOpen:
        break;
    }
    return TRUE;
}

void CVeltoPrinterDriverSetupDlg::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kSelectPortsTabTimer:
        SelectPortsTab(Window(), uiLanguageId, portPrinterName);
        break;
    case kEndProgramTimer:
        KillTimer(kEndProgramTimer);
        EndDialog(IDCANCEL);
        break;
    default:
        break;
    }
}

HBRUSH CVeltoPrinterDriverSetupDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    framework::Dialog::OnCtlColor(dc, control, controlType);
    if (control && ::GetDlgCtrlID(control) == IDC_TITLE) {
        ::SetBkColor(dc, kBackdropColour);
        ::SetTextColor(dc, kTitleColour);
    }
    return backgroundBrush.get();
}

bool CVeltoPrinterDriverSetupDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_SYSCOMMAND: {
        bool handled = false;
        OnSysCommand(static_cast<UINT>(wParam), lParam, handled);
        result = 0;
        return handled;
    }
    case WM_PAINT:
        result = 0;
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(appIcon);
        return true;
    default:
        return false;
    }
}

void CVeltoPrinterDriverSetupDlg::OnSysCommand(UINT command, LPARAM, bool& handled)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal(Window());
        handled = true;
    }
}

bool CVeltoPrinterDriverSetupDlg::OnPaint()
{
    if (!::IsIconic(Window())) return false;  // the dialog's own painting
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Window(), &paint);
    ::SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(Window(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, appIcon);
    ::EndPaint(Window(), &paint);
    return true;
}
