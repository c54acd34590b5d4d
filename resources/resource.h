/* Resource ids, shared by the resource script and the code. */
#ifndef QUORVEL_RESOURCE_H
#define QUORVEL_RESOURCE_H

/* Dialog templates */
#define IDD_ABOUT 100
#define IDD_POPUP 102
#define IDD_SETUP 129
#define IDD_NAME 131
#define IDD_WIZARD_TARGET 133
#define IDD_WIZARD_TITLE 134
#define IDD_QUIET 136

/* Icons, bitmaps, sound, menu */
#define IDI_APP 128
#define IDI_SHORTCUT 130
#define IDB_BANNER 130
#define IDB_WIZARD 132
#define IDR_CHIME 135
#define IDM_TRAY 131

/* Popup controls (besides IDOK, the invisible default button, and IDCANCEL, "Exit") */
#define IDC_SHORTCUT_LIST 1000
#define IDC_SETUP 1001
#define IDC_ABOUT 1002
#define IDC_REFRESH 1003
#define IDC_RESULT_LIST 1004 /* made at run time: what typing finds */

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Setup dialog (besides IDOK, never visible, and IDCANCEL, "Close") */
#define IDC_GROUPS 1000
#define IDC_GROUP_NEW 1001
#define IDC_GROUP_DELETE 1002
#define IDC_GROUP_RENAME 1003
#define IDC_SHORTCUTS 1004
#define IDC_SHORTCUT_NEW 1005
#define IDC_SHORTCUT_DELETE 1006
#define IDC_EXAMPLE 1007
#define IDC_SHORTCUT_RENAME 1010
#define IDC_FOREGROUND_SWATCH 1012
#define IDC_BACKGROUND_SWATCH 1013
#define IDC_FONT_TEXT 1014
#define IDC_FOREGROUND 1015
#define IDC_BACKGROUND 1016
#define IDC_FONT 1017
#define IDC_HOTKEY_ON 1018
#define IDC_HOTKEY 1019
#define IDC_HOTKEY_STATUS 1020
#define IDC_EDGE_DELAY 1021
#define IDC_EDGE_QUIET 1022

/* Quiet edge dialog */
#define IDC_QUIET_LIST 1000
#define IDC_QUIET_REMOVE 1001
#define IDC_QUIET_NAME 1002
#define IDC_QUIET_ADD 1003
#define IDC_QUIET_WINDOWS 1004
#define IDC_QUIET_ADD_WINDOW 1005

/* Name dialog */
#define IDC_NAME 1007
#define IDC_NAME_PROMPT 1011

/* Create Shortcut wizard: both pages */
#define IDC_WIZARD_EDIT 1007
#define IDC_WIZARD_BROWSE 1008
#define IDC_WIZARD_BACK 1013

/* About box */
#define IDC_ABOUT_VERSION 1007
#define IDC_ABOUT_CREDITS 1008
#define IDC_ABOUT_NOTICE 1009

/* Notification-area menu */
#define IDM_TRAY_SETUP 32771
#define IDM_TRAY_EXIT 32772
#define IDM_TRAY_PAUSE_HOUR 32773
#define IDM_TRAY_PAUSE 32774
#define IDM_TRAY_RESUME 32775

#endif
