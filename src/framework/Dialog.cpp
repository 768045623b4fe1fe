#include "framework/Dialog.h"

#include "framework/DataExchange.h"

namespace framework {

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog()
{
    // A dialog object going away while its window lives must not receive messages any more.
    if (window_ && ::IsWindow(window_)) ::SetWindowLongPtrW(window_, DWLP_USER, 0);
}

INT_PTR Dialog::DoModal(HWND parent)
{
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::DoModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent)
{
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange exchange(*this, saveAndValidate);
    DoDataExchange(exchange);
    return !exchange.Failed();
}

void Dialog::EndDialog(INT_PTR code) { ::EndDialog(window_, code); }

void Dialog::CenterOverOwner()
{
    if (::GetWindowLongW(window_, GWL_STYLE) & WS_CHILD) return;
    HWND owner = ::GetWindow(window_, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT area = monitor.rcWork;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &area);

    RECT rect;
    ::GetWindowRect(window_, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Keep it on the screen's work area even over an owner that reaches beyond it.
    if (x + width > monitor.rcWork.right) x = monitor.rcWork.right - width;
    if (y + height > monitor.rcWork.bottom) y = monitor.rcWork.bottom - height;
    if (x < monitor.rcWork.left) x = monitor.rcWork.left;
    if (y < monitor.rcWork.top) y = monitor.rcWork.top;
    ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnCommand(int, int) { return false; }

void Dialog::OnOK()
{
    if (!UpdateData(true)) return;  // the failed read has told the operator why
    EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnTimer(UINT_PTR) {}

HBRUSH Dialog::OnCtlColor(HDC dc, HWND control, UINT)
{
    return reinterpret_cast<HBRUSH>(
        DefaultProcessing(currentMessage_, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

LRESULT Dialog::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam)
{
    // DefDlgProc would call back into our dialog procedure; the window procedure beneath it is
    // the plain default one.
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        dialog->window_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->window_ = nullptr;
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        RECT before = {};
        ::GetWindowRect(window_, &before);
        const BOOL result = OnInitDialog();
        RECT after = {};
        if (window_ && ::GetWindowRect(window_, &after) && ::EqualRect(&before, &after)) CenterOverOwner();
        return result;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int notification = HIWORD(wParam);
        if (OnCommand(id, notification)) return TRUE;
        if (notification == BN_CLICKED && id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (notification == BN_CLICKED && id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;  // and the default timer processing
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX: {
        // The messages lie in the order of the CTLCOLOR_ codes, from CTLCOLOR_MSGBOX (0).
        currentMessage_ = message;
        HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                  message - WM_CTLCOLORMSGBOX);
        return reinterpret_cast<INT_PTR>(brush);
    }
    default: {
        INT_PTR result = 0;
        if (OnMessage(message, wParam, lParam, result)) {
            // WM_QUERYDRAGICON is one of the few messages a dialog procedure answers directly.
            if (message == WM_QUERYDRAGICON) return result;
            ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    }
}

}  // namespace framework
