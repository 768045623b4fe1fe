// The test page printed on a newly created printer.
#pragma once

#include <windows.h>

// printerName: in the thread's ANSI code page, may be null. logo: borrowed, never freed here.
void PrintTestPage(const char* printerName, HBITMAP logo);
