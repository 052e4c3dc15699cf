// Creation and first filling of the main window's 36 child controls.
#include "engine/scan_list_window.h"
#include "resources/resource_ids.h"
#include "shell/downloads_list_window.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "bookmarks/bookmark_list_window.h"
#include "search/result_list_window.h"

#include <commctrl.h>

#include <initializer_list>

namespace {


struct ControlRow {
    HWND MAINWINDOW::*handle;
    DWORD exStyle;
    const char* className;
    const char* caption;
    DWORD style;  // beyond WS_CHILD
    int x, y, width, height;  // creation rectangle; 0, 0, 0, 0 when the layout places it
};

constexpr DWORD kEdge = WS_EX_CLIENTEDGE;
constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kOwner = WS_VISIBLE | BS_OWNERDRAW;
constexpr DWORD kDropList = WS_BORDER | CBS_DROPDOWNLIST;
constexpr DWORD kReport = LVS_REPORT | LVS_SHOWSELALWAYS;

// The table of controls in creation order. The Download page's controls start visible.
const ControlRow kControls[] = {
    {&MAINWINDOW::networkButton, 0, "BUTTON", "", kOwner, 20, 7, 39, 49},
    {&MAINWINDOW::optionsButton, 0, "BUTTON", "", kOwner, 75, 7, 39, 49},
    {&MAINWINDOW::helpButton, 0, "BUTTON", "", kOwner, 130, 7, 39, 49},
    {&MAINWINDOW::searchTab, 0, "BUTTON", "", kOwner, 5, 61, 81, 20},
    {&MAINWINDOW::downloadTab, 0, "BUTTON", "", kOwner, 86, 61, 81, 20},
    {&MAINWINDOW::bookmarkTab, 0, "BUTTON", "", kOwner, 167, 61, 81, 20},
    {&MAINWINDOW::keywordLabel, 0, "STATIC", "Keyword", 0, 10, 94, 60, 15},
    {&MAINWINDOW::keywordBox, kEdge, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0},
    {&MAINWINDOW::engineLabel, 0, "STATIC", "Engine", 0, 0, 0, 0, 0},
    {&MAINWINDOW::engineList, 0, "COMBOBOX", "", kDropList, 0, 0, 0, 0},
    {&MAINWINDOW::searchButton, 0, "BUTTON", "Search", BS_PUSHBUTTON, 0, 0, 0, 0},
    {&MAINWINDOW::moreButton, 0, "BUTTON", "More Result", BS_PUSHBUTTON | WS_DISABLED, 0, 0, 0, 0},
    {&MAINWINDOW::searchFormatLabel, 0, "STATIC", "Format", 0, 20, 122, 50, 19},
    {&MAINWINDOW::searchFormatList, 0, "COMBOBOX", "", kDropList | WS_DISABLED, 72, 120, 90, 120},
    {&MAINWINDOW::searchDepthLabel, 0, "STATIC", "Depth", 0, 180, 122, 40, 19},
    {&MAINWINDOW::searchDepthList, 0, "COMBOBOX", "", kDropList | WS_DISABLED, 220, 120, 60, 100},
    {&MAINWINDOW::searchScanButton, 0, "BUTTON", "Scan it", BS_PUSHBUTTON | WS_DISABLED, 305, 120, 80, 22},
    {&MAINWINDOW::resultsList, kEdge, WC_LISTVIEWA, "", kReport, 0, 0, 0, 0},
    {&MAINWINDOW::addressLabel, 0, "STATIC", "Address", kShown, 10, 94, 50, 15},
    {&MAINWINDOW::addressBox, kEdge, "EDIT", "", kShown | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0},
    {&MAINWINDOW::formatLabel, 0, "STATIC", "Format", kShown, 0, 0, 0, 0},
    {&MAINWINDOW::formatList, 0, "COMBOBOX", "", kShown | kDropList, 0, 0, 0, 0},
    {&MAINWINDOW::depthLabel, 0, "STATIC", "Depth", kShown, 0, 0, 0, 0},
    {&MAINWINDOW::depthList, 0, "COMBOBOX", "", kShown | kDropList, 0, 0, 0, 0},
    {&MAINWINDOW::scanButton, 0, "BUTTON", "Scan it", kShown | BS_PUSHBUTTON, 0, 0, 0, 0},
    {&MAINWINDOW::statusLine, 0, "STATIC",
     "Complete: 0, Processing: 0, Queued : 0, Stopped : 0, Stopping: 0 links", kShown, 10, 125, 500, 17},
    {&MAINWINDOW::scanList, kEdge, WC_LISTVIEWA, "", kShown | kReport, 0, 0, 0, 0},
    {&MAINWINDOW::downloadsList, kEdge, WC_LISTVIEWA, "", kShown | kReport, 0, 0, 0, 0},
    {&MAINWINDOW::bookmarkFormatLabel, 0, "STATIC", "Format", 0, 0, 0, 0, 0},
    {&MAINWINDOW::bookmarkFormatList, 0, "COMBOBOX", "", kDropList | WS_DISABLED, 0, 0, 0, 0},
    {&MAINWINDOW::bookmarkDepthLabel, 0, "STATIC", "Depth", 0, 0, 0, 0, 0},
    {&MAINWINDOW::bookmarkDepthList, 0, "COMBOBOX", "", kDropList | WS_DISABLED, 0, 0, 0, 0},
    {&MAINWINDOW::rescanButton, 0, "BUTTON", "Rescan it", BS_PUSHBUTTON | WS_DISABLED, 0, 0, 0, 0},
    {&MAINWINDOW::bookmarkList, kEdge, WC_LISTVIEWA, "", kReport, 0, 0, 0, 0},
    {&MAINWINDOW::log, kEdge, "EDIT", nullptr,
     kShown | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0, 0, 0, 0},
    {&MAINWINDOW::statusBar, 0, STATUSCLASSNAMEA, "", kShown | SBARS_TOOLTIPS, 0, 0, 0, 0},
};

void SetFont(HWND control)
{
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gMain.font), TRUE);
}

// Format and depth drop-downs: the index is the format class and the depth.
void FillFormatAndDepth(HWND formatLabel, HWND formatList, HWND depthLabel, HWND depthList)
{
    SetFont(formatLabel);
    SendMessageA(formatList, CB_RESETCONTENT, 0, 0);
    for (const char* name : {"Image", "Audio", "Video", "Document", "Any"})
        SendMessageA(formatList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(formatList, CB_SETCURSEL, 0, 0);
    SendMessageA(formatList, CB_SETITEMHEIGHT, 0, 15);
    SetFont(formatList);
    SetFont(depthLabel);
    SendMessageA(depthList, CB_RESETCONTENT, 0, 0);
    for (const char* name : {"R-0", "R-1", "R-2", "R-3"})
        SendMessageA(depthList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(depthList, CB_SETCURSEL, 1, 0);
    SendMessageA(depthList, CB_SETITEMHEIGHT, 0, 15);
    SetFont(depthList);
}

void FullRowSelect(HWND list)
{
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

}  // namespace

void CreateControls(HWND window)
{
    for (const ControlRow& row : kControls) {
        gMain.*row.handle = CreateWindowExA(row.exStyle, row.className, row.caption, WS_CHILD | row.style, row.x,
                                            row.y, row.width, row.height, window, nullptr, gMain.instance, nullptr);
    }
    gMain.selectedTab = gMain.downloadTab;
}

void FillControls()
{
    gMain.font = CreateFontA(14, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_CHARACTER_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Verdana");
    HDC screen = GetDC(nullptr);
    gMain.skin = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    SelectObject(gMain.skin, LoadBitmapA(gMain.instance, MAKEINTRESOURCEA(IDB_SKIN)));

    // The Search page.
    SetFont(gMain.keywordLabel);
    SendMessageA(gMain.keywordBox, EM_LIMITTEXT, 63, 0);
    SetFont(gMain.keywordBox);
    SetFont(gMain.engineLabel);
    SendMessageA(gMain.engineList, CB_RESETCONTENT, 0, 0);
    SendMessageA(gMain.engineList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("google.com"));
    SendMessageA(gMain.engineList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("yahoo.com"));
    SendMessageA(gMain.engineList, CB_SETCURSEL, 0, 0);
    SetFont(gMain.engineList);
    SetFont(gMain.searchButton);
    SetFont(gMain.moreButton);
    SetUpResultListColumns();
    SetFont(gMain.resultsList);
    FullRowSelect(gMain.resultsList);
    SetFont(gMain.searchScanButton);
    FillFormatAndDepth(gMain.searchFormatLabel, gMain.searchFormatList, gMain.searchDepthLabel,
                       gMain.searchDepthList);

    // The Download page.
    SetFont(gMain.addressLabel);
    SendMessageA(gMain.addressBox, EM_LIMITTEXT, 255, 0);
    SetFont(gMain.addressBox);
    SetWindowTextA(gMain.addressBox, gMain.pendingAddress[0] ? gMain.pendingAddress : "http://");
    FillFormatAndDepth(gMain.formatLabel, gMain.formatList, gMain.depthLabel, gMain.depthList);
    SetFont(gMain.scanButton);
    SetFont(gMain.statusLine);
    SetUpScanListColumns();
    SetFont(gMain.scanList);
    FullRowSelect(gMain.scanList);
    SetUpDownloadsListColumns();
    SendMessageA(reinterpret_cast<HWND>(SendMessageA(gMain.downloadsList, LVM_GETHEADER, 0, 0)), WM_SETFONT,
                 reinterpret_cast<WPARAM>(gMain.font), TRUE);
    FullRowSelect(gMain.downloadsList);
    SendMessageA(gMain.log, EM_LIMITTEXT, 1048576, 0);

    // The Bookmark page.
    FillFormatAndDepth(gMain.bookmarkFormatLabel, gMain.bookmarkFormatList, gMain.bookmarkDepthLabel,
                       gMain.bookmarkDepthList);
    SetFont(gMain.rescanButton);
    SetUpBookmarkList();
    SetFont(gMain.bookmarkList);
    FullRowSelect(gMain.bookmarkList);
    LoadBookmarksIntoList();

    SetFont(gMain.log);
    SetFont(gMain.statusBar);
    SetUpStatusBar();
}
