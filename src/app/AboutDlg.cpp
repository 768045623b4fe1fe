#include "app/AboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg() : framework::Dialog(IDD_ABOUTBOX) {}
