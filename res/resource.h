// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_UPDATE 128      // the program icon
#define IDB_ICON_STRIP 129  // the default icon strip: 16 x 16 frames side by side
#define IDR_TRAY_MENU 139   // the tray icon's menu (one pop-up)

// Dialog templates: the frame and its four pages.
#define IDD_MAIN 102
#define IDD_UPDATE_PAGE 103
#define IDD_START_PAGE 104
#define IDD_DOWNLOAD_PAGE 105
#define IDD_FINISHED_PAGE 106

// Controls of the pages. IDOK (1) is the Next button of the start and
// download-finished pages.
#define IDC_PROGRESS_FILE 1000   // download page: the current file; update page: the installation
#define IDC_PROGRESS_TOTAL 1001  // download page: all items
#define IDC_LABEL_TITLE 1005     // the skin's static0
#define IDC_LABEL_LINK 1006      // static3, usually the link to the publisher's site
#define IDC_LABEL_SUBTITLE 1013  // static1
#define IDC_LABEL_TEXT 1014      // static2
#define IDC_ITEM_LIST 1015
#define IDC_PAUSE 1018           // download page: Pause, Continue, then Next
#define IDC_CANCEL 1020          // every page's Cancel (the update page's Finish)
#define IDC_LOG_BOX 1023
#define IDC_STATUS 1025          // the status line
#define IDC_INFO 1026            // download page: size and speed of the current file

// Commands of the tray menu.
#define IDM_SHOW_MAIN_WINDOW 32771
#define IDM_TRAY_EXIT 1020
