#include "ports/PrinterProperties.h"

void OpenPrinterProperties(HWND, const std::wstring&) {}

void SelectPortsTab(HWND, int, const std::wstring&) {}
