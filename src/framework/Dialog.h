// Modal dialogs on templates: one object per dialog, messages forwarded to its On... handlers.
#pragma once

#include <windows.h>

#include <cstddef>

namespace framework {

class DataExchange;

class Dialog {
public:
    // templateId: a dialog template of the program's module.
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally and returns the code it was ended with (-1 when it could not be
    // created).
    INT_PTR DoModal(HWND parent = nullptr);
    // The same on a template in memory (tests build their own).
    INT_PTR DoModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr);

    HWND Window() const { return window_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    void EnableItem(int id, bool enable) { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }

    // Controls -> fields (saveAndValidate) or fields -> controls. False when a read failed.
    bool UpdateData(bool saveAndValidate);
    void EndDialog(INT_PTR code);

    // Plain window timers of the dialog: ticks arrive as OnTimer(id).
    void SetTimer(UINT_PTR id, UINT periodMs) { ::SetTimer(window_, id, periodMs, nullptr); }
    void KillTimer(UINT_PTR id) { ::KillTimer(window_, id); }

protected:
    // Default: writes the fields into the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);

    // A WM_COMMAND from a control; true when handled. The dialog's dispatch table lives here.
    virtual bool OnCommand(int id, int notification);
    // Enter with no push button focused: read the controls, end with IDOK when the read succeeds.
    virtual void OnOK();
    // Escape and the close box.
    virtual void OnCancel();
    virtual void OnTimer(UINT_PTR id);
    // WM_CTLCOLOR*: the brush to paint control (or the dialog itself, CTLCOLOR_DLG) with.
    // Default: the system's colours and brush.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);
    // Any other message; true (with result) when handled, false for the default processing.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // The system's own handling of a message, for handlers that add to it.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // A top-level dialog that its initialisation did not move is centred over its owner (or the
    // screen), the way operators know dialogs to open.
    void CenterOverOwner();

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;
    UINT currentMessage_ = 0;
};

// A dispatch table of a dialog: (control id, notification) -> handler.
template <typename D>
struct CommandRoute {
    int id;
    WORD notification;
    void (D::*handler)();
};

// Runs the handler of the first matching route; false when no route matches.
template <typename D, std::size_t N>
bool RouteCommand(D& dialog, const CommandRoute<D> (&routes)[N], int id, int notification)
{
    for (const CommandRoute<D>& route : routes) {
        if (route.id == id && route.notification == notification) {
            (dialog.*route.handler)();
            return true;
        }
    }
    return false;
}

}  // namespace framework
