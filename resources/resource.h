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

/* Notification-area menu */
#define IDM_TRAY_SETUP 32771
#define IDM_TRAY_EXIT 32772

#endif
