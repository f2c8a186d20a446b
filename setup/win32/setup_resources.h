#pragma once
// Control ids of KorvadaSetup.exe's dialog, shared by the .rc and the code.

#define IDD_SETUP 100

#define IDC_RESOLUTION_LABEL 1000
// IDC_ROW0 + row for each row of the resolution table, made at run time:
// the block up to 1199 is theirs.
#define IDC_ROW0 1100
#define IDC_NONE_OFFERED 1007
#define IDC_DEPTH_LABEL 1010
#define IDC_BITS16 1011
#define IDC_BITS32 1012
#define IDC_BLENDING 1013
#define IDC_BOTTLES_LABEL 1014
#define IDC_BOTTLES 1015
#define IDC_BOTTLES_SPIN 1016
#define IDC_SOUND 1017
#define IDC_VERSION 1018
#define IDC_FULL_SCREEN 1019
#define IDC_ROUND_END 1020
#define IDC_CONTROLS 1021
#define IDC_BEST 1022
#define IDC_WATCH 1023
#define IDC_NAME_LABEL 1025
#define IDC_NAME 1026
#define IDC_TODAY 1027
#define IDC_TODAY_BEST 1028
#define IDC_BOARD_LABEL 1029
#define IDC_BOARD 1030
// Made at run time over the list's heading when there is a board.
#define IDC_LISTS 1031
// The list of the ten best: its heading, then a line, a Watch and a Save
// round for each row.
#define IDC_BEST_TEN 1024
#define IDC_TEN_ROW0 1200
#define IDC_TEN_WATCH0 1220
#define IDC_TEN_SAVE0 1240
