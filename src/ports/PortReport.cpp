#include "ports/PortReport.h"

DWORD g_reportLanguage = 2052;

bool ReportUsbPorts(GUID) { return false; }
