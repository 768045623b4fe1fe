// The options form: Windows edition, model, interface and default-printer choice, and the install
// command behind "Instalar Agora".
#pragma once

#include "app/InstallOptions.h"
#include "catalogue/ModelCatalogue.h"
#include "framework/Dialog.h"
#include "ports/SerialDriver.h"
#include "win32/Handles.h"

class ConfingDialog : public framework::Dialog, public InstallOptions {
public:
    ConfingDialog();

    ModelCatalogue catalogue;
    win32::UniqueFont remarkFont;
    win32::UniqueBitmap logoBitmap;
    SerialPortSnapshot serialPortsBefore;
    SerialPortSnapshot serialPortsAfter;
    int hiddenClickCount = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(framework::DataExchange& exchange) override;
    bool OnCommand(int id, int notification) override;
    void OnTimer(UINT_PTR id) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;

private:
    void OnExit();
    void OnSerialDriverRadio();
    void OnPrinterDriverRadio();
    void OnStartInstall();
    void OnDetectUsbPort();
    void OnRecommendDblClk();

    void EnableModelChoice(bool enable);

    static const framework::CommandRoute<ConfingDialog> kRoutes[6];
};
