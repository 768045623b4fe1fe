// The main window: a maximised blue backdrop with the product title, in front of which the options
// form runs.
#pragma once

#include "app/ConfingDialog.h"
#include "framework/Dialog.h"
#include "win32/Handles.h"

#include <string>

class CVeltoPrinterDriverSetupDlg : public framework::Dialog {
public:
    CVeltoPrinterDriverSetupDlg();
    ~CVeltoPrinterDriverSetupDlg() override;

    HICON appIcon = nullptr;
    ConfingDialog optionsDialog;
    int uiLanguageId = 0;
    std::wstring portPrinterName;
    win32::UniqueBrush backgroundBrush;
    win32::UniqueFont titleFont;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void OnSysCommand(UINT command, LPARAM lParam, bool& handled);
    bool OnPaint();
};
