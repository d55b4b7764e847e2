#pragma once
// Resource identifiers, shared by the resource script and the code.

// Icons
#define IDI_MAIN 101

// Menus
#define IDR_TRAYMENU 102

// Bitmaps
#define IDB_MONITOR 130
#define IDB_ABOUT 137

// Dialogs
#define IDD_ABOUT 131
#define IDD_SETTINGS 132

// Settings dialog controls
#define IDC_FILELIST 1000
#define IDC_PREVIEW 1004
#define IDC_ADD 1007
#define IDC_REMOVE 1008
#define IDC_INTERVAL 1010
#define IDC_TILE 1011
#define IDC_CENTER 1012
#define IDC_STRETCH 1013
#define IDC_SEQUENTIAL 1014
#define IDC_RANDOM 1015
#define IDC_AUTORUN 1016
#define IDC_PREVIEW_AREA 1018
#define IDC_MONITOR 1019
#define IDC_FILL 1020
#define IDC_FIT 1021
#define IDC_SPAN 1022
#define IDC_EACH_MONITOR 1023
#define IDC_FULLSCREEN_WAIT 1024
#define IDC_HOTKEYS 1028
#define IDC_HOTKEY_NOTE 1029
#define IDC_ADD_FOLDER 1025
#define IDC_EXCLUDED 1026
#define IDC_SHUFFLE 1027

// Excluded pictures dialog
#define IDD_EXCLUDED 133
#define IDC_EXCLUDED_LIST 1040
#define IDC_RESTORE 1041

// Tray menu commands
#define IDM_SETTINGS 32771
#define IDM_ABOUT 32772
#define IDM_EXIT 32773
#define IDM_NEXT 32774
#define IDM_PAUSE 32775
#define IDM_PREVIOUS 32776
#define IDM_SHOW_IN_FOLDER 32777
#define IDM_NEVER_AGAIN 32778
