#pragma once

// Resource and control ids of morvex.exe, shared by the resource script and the code.

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MORVEX_DIALOG 102
#define IDD_PROGRESS 103
#define IDD_RESULT 104

// Strings.
#define IDS_OLE_INIT_FAILED 100
#define IDS_ABOUTBOX 101
#define IDS_CONVERSION_DONE 102

// Icons: large and small.
#define IDR_MAINFRAME 128
#define IDI_SMALL 129

// The items of the system menu: the about box, the output folder and outputs beside their sources.
#define IDM_ABOUTBOX 0x0010
#define IDM_OUTPUT_FOLDER 0x0020
#define IDM_OUTPUT_BESIDE 0x0030

// The items of the menu of the browse button.
#define IDM_BROWSE_FILES 1
#define IDM_BROWSE_FOLDER 2

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Controls of the main dialog besides OK (1) and 終了 (2).
#define IDC_BROWSE 3
#define IDC_LARGE_FACE 1000
#define IDC_LARGE_SIZE 1001
#define IDC_LARGE_FONT 1002
#define IDC_SMALL_FACE 1003
#define IDC_SMALL_SIZE 1004
#define IDC_SMALL_FONT 1005
#define IDC_FILES 1006

// Controls of the about box and the progress window.
#define IDC_VERSION 1010
#define IDC_PROGRESS_TEXT 1020
#define IDC_PROGRESS_BAR 1021

// Controls of the batch result besides OK (1).
#define IDC_RESULT_ICON 1030
#define IDC_RESULT_SUMMARY 1031
#define IDC_RESULT_FILTER 1032
#define IDC_RESULT_LIST 1033
#define IDC_RESULT_COPY 1034
#define IDC_RESULT_SAVE 1035
