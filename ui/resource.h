// Resource ids of the window program: templates, menu, icon and the controls' ids.
// Included by the resource script and by the C++ sources, so it holds #defines only.
#pragma once

// Templates, menu and icon.
#define IDD_K470LOADER_DIALOG 102  // main window
#define IDR_MAINFRAME 128          // program icon
#define IDR_MENU_MAIN 129          // main window menu
#define IDD_FORM_FLASH_WRITE 130   // flash write tab page
#define IDD_FORM_RAM_LOAD 131      // RAM load tab page
#define IDD_ABOUTBOX 132           // about box
#define IDD_DLG_OPTION 133         // options dialog
#define IDD_DLG_LOAD 134           // RAM LOAD progress dialog
#define IDD_DLG_WRITE 135          // FLASH WRITE progress dialog
#define IDD_DLG_FSET 137           // flash settings dialog
#define IDD_DLG_BOARD_OUTPUT 138   // board output window

// Resource type of a template's initialisation data (combo box items).
#define RT_K470_DLGINIT 240

// Main window.
#define IDC_TAB_MAIN 1000
#define IDC_COMBO_COM 1001
#define IDC_STATIC_STATUS 1002

// Both tab pages.
#define IDC_COMBO_FILE 1003
#define IDC_BUTTON_BROWSE 1004
#define IDC_STATIC_UPDATE_MARK 1005

// RAM load page.
#define IDC_BUTTON_LOAD 1006
#define IDC_BUTTON_GO 1007
#define IDC_BUTTON_CONNECT 1008
#define IDC_EDIT_ADDRESS 1009

// Flash write page.
#define IDC_BUTTON_FLASH_WRITE 1010
#define IDC_COMBO_DEVICE 1021
#define IDC_BUTTON_FSET 1022

// About box.
#define IDC_STATIC_VERSION 1011
#define IDC_STATIC_MAKER 1012
#define IDC_STATIC_WEB_LINK 1013
#define IDC_STATIC_MAIL_LINK 1014

// Options dialog.
#define IDC_CHECK_AUTO_LOAD 1012
#define IDC_EDIT_APP_NAME 1013
#define IDC_CHECK_AUTO_GO 1015
#define IDC_CHECK_RUN_APP 1016
#define IDC_CHECK_AUTO_DISCONNECT 1017
#define IDC_CHECK_FWRITE_UPDATE 1020
#define IDC_CHECK_RLOAD_UPDATE 1021
#define IDC_BUTTON_BROWSE_APP 1004
#define IDC_CHECK_BOARD_OUTPUT 1018

// Board output window.
#define IDC_EDIT_OUTPUT 1030
#define IDC_STATIC_SEND_LINE 1031
#define IDC_EDIT_SEND_LINE 1032
#define IDC_BUTTON_SEND 1033
#define IDC_BUTTON_CLEAR_OUTPUT 1034
#define IDC_BUTTON_SAVE_OUTPUT 1035

// Progress dialogs (status line 1002 as in the main window).
#define IDC_BUTTON_CANCEL_JOB 1019
#define IDC_PROGRESS_BAR 1028     // the share acknowledged so far
#define IDC_STATIC_PROGRESS 1029  // "12.0 KiB of 256 KiB ・ 3.2 KiB/s ・ 0:41 left"

// Flash settings dialog.
#define IDC_EDIT_CLK 1013
#define IDC_COMBO_BAUD 1023
#define IDC_STATIC_CLK 1024
#define IDC_STATIC_BAUD 1025
#define IDC_STATIC_BPS 1026
#define IDC_STATIC_MHZ 1027

// Menu commands.
#define ID_FILE_OPEN_MOT 32772
#define ID_FILE_EXIT 32773
#define ID_HELP_HELP 32774
#define ID_HELP_ABOUT 32775
#define ID_OPTION 65535

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
