#pragma once
// Identifiers of the program's resources: menus, commands, strings, dialogs
// and their controls. Shared by the .rc file and the window classes.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Menu, accelerators, icon, tool-bar bitmap of the main frame.
#define IDR_MAINFRAME 128

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_SCHEDULE_TIME 133
#define IDD_REGULAR_TIME 136
#define IDD_IEPG_LIST 140
#define IDD_JOURNAL 142
#define IDD_WAKE_DIAGNOSIS 144

// Commands of the program.
#define ID_SCHEDULE_ADD 32771
#define ID_SCHEDULE_DELETE 32773
#define ID_MENU_SUSPEND 32775
#define ID_SETTING_EPG 32776
#define ID_SCHEDULE_CHANGE 32778
#define ID_SETTING_USER 32779
#define ID_MENU_GO2TRAY 32780
#define ID_MENU_COME2TRAY 32786
#define ID_MENU_OPEN_URL 32788
#define ID_REGULAR_SCHEDULE 32789
#define ID_MENU_STANDBY 32794
#define ID_HELP_WAKE_DIAGNOSIS 32795
#define ID_MENU_JOURNAL 32797
#define ID_HELP_GUIDE 32796

// Commands with the framework's standard numbers.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Strings.
#define IDS_APP_TITLE 57344
#define IDS_IDLE_MESSAGE 57345
#define IDS_VERSION 61204
#define IDS_RIGHTS 61205

// Tool bar, status bar and its indicator panes.
#define IDW_TOOLBAR 59392
#define IDW_STATUS_BAR 59393
#define IDW_PANE_FIRST 59648
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139
#define ID_INDICATOR_KANA 59142

// About box.
#define IDC_ABOUT_VERSION 1015
#define IDC_ABOUT_RIGHTS 1016
#define IDC_ABOUT_PLUGIN 1017

// Reservation dialog.
#define IDC_TITLE 1000
#define IDC_START_TIME 1012
#define IDC_START_DATE 1013
#define IDC_END_DATE 1014
#define IDC_END_TIME 1015

// Repeat reservation dialog.
#define IDC_LOOP_METHOD 1001
#define IDC_LOOP 1002
#define IDC_KIKAN_F 1003
#define IDC_KIKAN_S 1004
#define IDC_REG_START_TIME 1005
#define IDC_REG_END_TIME 1007
#define IDC_END_DAY 1008
#define IDC_KIKAN_S_LABEL 1010
#define IDC_KIKAN_E_LABEL 1016
#define IDC_KIKAN_E 1017
#define IDC_WEEK_SUN 1023
#define IDC_WEEK_MON 1024
#define IDC_WEEK_TUE 1025
#define IDC_WEEK_WED 1026
#define IDC_WEEK_THU 1027
#define IDC_WEEK_FRI 1028
#define IDC_WEEK_SAT 1029
#define IDC_LOOP_GROUP 1030
#define IDC_FIRST_DAY 1031
#define IDC_KIKAN_GROUP 1032
#define IDC_FIRST_DAY_LABEL 1033
#define IDC_WEEK_GROUP 1034
#define IDC_REG_TITLE 1035
// The programmes of a multi-programme iEPG file.
#define IDC_IEPG_LIST 1100
#define IDC_IEPG_LIST_TITLE 1101
// The journal window.
#define IDC_JOURNAL_LIST 1110
#define IDC_JOURNAL_SUMMARY 1111
#define IDC_JOURNAL_CSV 1112
// The wake diagnosis.
#define IDC_WAKE_REPORT 1120
#define IDC_WAKE_TEST 1121
