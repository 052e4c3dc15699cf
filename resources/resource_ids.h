// Resource and command identifiers shared by the resource script and the window code.
#pragma once

#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109
#define IDR_MAIN 109          // the menu and the accelerator table
#define IDI_PROGRAM 107       // 32 x 32
#define IDI_PROGRAM_SMALL 108 // 16 x 16
#define IDI_STATE_STOPPED 163
#define IDI_STATE_COMPLETE 164
#define IDI_STATE_PROCESSING 165
#define IDI_STATE_QUEUED 166
#define IDB_SKIN 129
#define IDD_OPTIONS 149

#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_OPTIONS 32771
#define IDM_VIEW_SEARCH 32772
#define IDM_VIEW_DOWNLOAD 32773
#define IDM_VIEW_BOOKMARK 32774
#define IDM_DELETE 32780
#define IDM_STOP_GRACEFULLY 32781
#define IDM_STOP_IMMEDIATELY 32787
#define IDM_BOOKMARK 32783
#define IDM_OPEN_BROWSER 32784
#define IDM_HELP 32788

// The job list's context menu.
#define IDC_JOB_DELETE 2020
#define IDC_JOB_STOP_GRACEFULLY 2021
#define IDC_JOB_STOP_IMMEDIATELY 2022
#define IDC_JOB_RESCAN 2023
#define IDC_JOB_CHANGE_RESCAN 2024
#define IDC_JOB_BOOKMARK 2025
#define IDC_JOB_OPEN_BROWSER 2026
