/* Numeric ids of the program's resources and controls, shared by the
   resource script and the C++ code. Plain #defines: windres reads this too. */
#ifndef PLOCHAR_RESOURCE_IDS_H
#define PLOCHAR_RESOURCE_IDS_H

/* Icons and tab images. */
#define IDI_RUNNING 101
#define IDI_PAUSED 120
#define IDI_BUSY 121
#define IDI_TAB_COLLECTION 102
#define IDI_TAB_LOGO 113
#define IDI_TAB_SETTINGS 127

/* The main window (the configuration dialog) and its buttons. */
#define IDD_MAIN 106
#define IDC_BTN_OK 1043
#define IDC_BTN_COLLECTION 1044
#define IDC_BTN_HELP 1045
#define IDC_BTN_CANCEL 1047

/* Menus. */
#define IDM_TRAY 102
#define IDM_COLLECTION 122
#define IDM_CANCEL_WORK 124

/* Tray menu commands. */
#define ID_SETTINGS 40001
#define ID_CHANGE_RANDOM 40002
#define ID_CHANGE_NEXT 40003
#define ID_QUIT 40004
#define ID_CHANGE_PREVIOUS 40006
#define ID_PAUSE 40007
#define ID_HELP 40008
#define ID_REAPPLY 40015
#define ID_CANCEL_WORK 40016

/* Collection menu commands. */
#define ID_COLLECTION_NEW 40010
#define ID_COLLECTION_OPEN 40011
#define ID_COLLECTION_SAVE 40012
#define ID_COLLECTION_SAVE_AS 40013
#define ID_COLLECTION_REMOVE_MISSING 40014
#define ID_MRU1 40017
#define ID_MRU2 40018
#define ID_MRU3 40019

#endif
