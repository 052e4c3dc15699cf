// The options dialog (resource 149): a page list, the General page with the eight settings,
// and the About page.
#pragma once

#include <windows.h>

// The page the user last chose: 0 General, 1 About. The Options command sets 0, About 1.
extern int gOptionsPage;

// Runs the dialog modally, owned by `owner`. OK copies the General page into the settings
// (with their upper limits) and saves Zorvel.ini; Cancel keeps both.
void OpenOptionsDialog(HWND owner);

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's page controls, for tests: the eight setting fields and the browse button.
struct OPTIONSPAGES {
    HWND imageSource, folder, browse, size, links, threads, time, total, free;
    HWND general[24];
    HWND about[4];
};
extern OPTIONSPAGES gOptionsPages;
