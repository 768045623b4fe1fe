// The About box, from the main window's system menu.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public framework::Dialog {
public:
    CAboutDlg();
};
