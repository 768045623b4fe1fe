// The operator's choices and what the options dialog learnt, as the other parts read them.
#pragma once

#include <string>

struct InstallOptions {
    int osIndex = 0;           // position of the Windows edition radio: 0 "Windows 10" .. 5 "Windows 8/8.1"
    int driverKind = 1;        // 0 USB virtual serial port driver, 1 ordinary printer driver
    int modelIndex = -1;       // catalogue row of the model radio; -1 none selected
    std::wstring recommendText;
    int setDefault = 0;        // make the new printer the default printer (0 or 1)
    std::wstring resultPrinterName;  // the printer the main window hands to the properties window
    std::wstring archName;     // from DetectSystem, widened with the thread's ANSI code page
    std::wstring editionName;  // the same; MarkWin8OrLater may rewrite it
    int languageId = 1033;     // 2052 Chinese texts, anything else Portuguese/English
    int interfaceIndex = 0;    // 0 USB, 1 other
};
