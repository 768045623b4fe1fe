#include "ports/TestPage.h"

void PrintTestPage(const char*, HBITMAP) {}
