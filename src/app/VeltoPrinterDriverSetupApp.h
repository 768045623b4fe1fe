// The application object: runs the main window and ends the program when it closes.
#pragma once

#include "framework/Application.h"

class CVeltoPrinterDriverSetupApp : public framework::Application {
public:
    CVeltoPrinterDriverSetupApp();
    bool InitInstance() override;
};
