// The USB port check: every qualifying USB printer prints a note naming its own port, and the
// operator gets the list of ports on screen.
#pragma once

#include <windows.h>

// Language of the summary and the notes; 2052 selects Chinese, any other value Portuguese.
extern DWORD g_reportLanguage;

// Walks the interfaces of interfaceClass, starts one note-printing worker per qualifying printer
// and shows the summary. True when at least one printer qualified.
bool ReportUsbPorts(GUID interfaceClass);
