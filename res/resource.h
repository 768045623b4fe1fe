// Resource ids of the program.
#pragma once

// Dialog templates, strings, icon and bitmap.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_WINDOW 102
#define IDR_MAINFRAME 128
#define IDD_OPTIONS 135
#define IDB_LOGO 141

// The About item of the main window's system menu.
#define IDM_ABOUTBOX 0x0010

// Options dialog: Windows edition radios, in template order.
#define IDC_OS_WIN10 1002
#define IDC_OS_WINXP 1003
#define IDC_OS_WIN2003 1004
#define IDC_OS_VISTA 1005
#define IDC_OS_WIN7 1006
#define IDC_OS_WIN8 1007
#define IDC_RECOMMEND 1008
// Driver kind radios: serial port driver, ordinary printer driver.
#define IDC_SERIAL_DRIVER 1009
#define IDC_PRINTER_DRIVER 1010
// Model radios; the position in the group is the catalogue row.
#define IDC_MODEL_ROW0 1011
#define IDC_MODEL_ROW1 1012
#define IDC_MODEL_ROW2 1013
#define IDC_MODEL_ROW3 1014
#define IDC_MODEL_ROW4 1015
#define IDC_MODEL_ROW5 1016
#define IDC_MODEL_ROW6 1017
#define IDC_SET_DEFAULT 1018
#define IDC_START_INSTALL 1019
#define IDC_EXIT 1020
#define IDC_OS_GROUP 1022
#define IDC_DRIVER_KIND_GROUP 1023
#define IDC_MODEL_GROUP 1024
#define IDC_DETECT_USB_PORT 1027
#define IDC_REMARK 1030
#define IDC_INTERFACE_LABEL 1033
#define IDC_INTERFACE_USB 1034
#define IDC_INTERFACE_OTHER 1035

// Main window: the product title.
#define IDC_TITLE 1026
