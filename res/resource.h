// Resource identifiers of the program.
#pragma once

// The texts' string ids (IDS_TRAY_TIP ...)
#include "framework/text_ids.h"

// Dialog templates
#define IDD_QUORLIN_DIALOG 102
#define IDD_TOOLTIP 134
#define IDD_GHOST 140
#define IDD_ADD 149
#define IDD_IMPORT_PREVIEW 153

// Icons
#define IDR_MAINFRAME 128
#define IDI_IE 129
#define IDI_UNKNOWN 130
#define IDI_COMPUTER 144
#define IDI_RECYCLE 145
#define IDI_CONTROL 146
#define IDI_WEB 147

// Menu
#define IDR_MENU 131

// PNG pictures
#define IDB_RING 132
#define IDB_HOUR 136
#define IDB_MINUTE 137
#define IDB_FACE 138
#define IDB_SECOND 139
#define IDB_LABEL_DELETE 141
#define IDB_LABEL_MOVE 142
#define IDB_BADGE_LOCKED 143
#define IDB_HUB 32771
// The same pictures drawn at 2.5 times their size, the sources above 96 DPI
#define IDB_RING_HI 200
#define IDB_HOUR_HI 201
#define IDB_MINUTE_HI 202
#define IDB_FACE_HI 203
#define IDB_SECOND_HI 204
#define IDB_HUB_HI 205
#define IDB_LABEL_DELETE_HI 206
#define IDB_LABEL_MOVE_HI 207
#define IDB_BADGE_LOCKED_HI 208

// Sounds
#define IDR_WAVE_REMOVE 148
#define IDR_WAVE_ADD 152

// Strings
#define IDS_HOME_PAGE 150
#define IDS_UPDATE_ENDPOINT 151

// Controls
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_LAUNCH_BUTTON 1124
#define IDC_TITLE 1000
#define IDC_PARA 1001
#define IDC_PATH 1002
#define IDC_BROWSE 1003
#define IDC_PARA_LABEL 1004
#define IDC_PATH_LABEL 1005
#define IDC_IMPORT_LIST 1006
#define IDC_IMPORT_SUMMARY 1007
#define IDC_ALIAS 1008
#define IDC_ALIAS_LABEL 1009

// Commands
#define ID_EXIT 32772
#define ID_TOPMOST 32776
#define ID_FIXED 32777
#define ID_EDIT 32782
#define ID_DELETE 32783
#define ID_OPEN 32784
#define ID_ADD_COMPUTER 32792
#define ID_ADD_CONTROL 32793
#define ID_ADD_DOCUMENTS 32794
#define ID_ADD_RECYCLE 32796
#define ID_ADD_IE 32797
#define ID_AUTORUN 32799
#define ID_CHECK_UPDATE 32801
#define ID_LOCK_BUTTONS 32803
#define ID_CLEAR_ALL 32805
#define ID_PROPERTIES 32808
#define ID_OPEN_FOLDER 32810
#define ID_ADD_URL 32813
#define ID_UNDO 32815
#define ID_EXPORT_BUTTONS 32816
#define ID_IMPORT_BUTTONS 32817
