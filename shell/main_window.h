// The main window: one process-wide record of its controls and state, shared by the files
// that create, lay out, paint and command it.
#pragma once

#include <windows.h>

inline constexpr int kPageSearch = 0;
inline constexpr int kPageDownload = 1;
inline constexpr int kPageBookmark = 2;

// The private message by which other threads hand view work to the user-interface thread and
// wait for it (the queued reports have their own, in shell/view_queue.h).
inline constexpr UINT WM_ZORVEL_VIEW = WM_APP + 1;

struct MAINWINDOW {
    HINSTANCE instance;
    HWND window;
    char title[100];      // string 103
    char className[100];  // string 109
    char pendingAddress[256];
    int currentPage;
    int splitter;         // y of the bar between the job list and the downloads list
    int networkState;     // 1 alive, 0 lost

    // Rows 1 to 36 of the control table, in creation order.
    HWND networkButton, optionsButton, helpButton, searchTab, downloadTab, bookmarkTab;
    HWND keywordLabel, keywordBox, engineLabel, engineList, searchButton, moreButton;
    HWND searchFormatLabel, searchFormatList, searchDepthLabel, searchDepthList, searchScanButton, resultsList;
    HWND addressLabel, addressBox, formatLabel, formatList, depthLabel, depthList, scanButton, statusLine;
    HWND scanList, downloadsList;
    HWND bookmarkFormatLabel, bookmarkFormatList, bookmarkDepthLabel, bookmarkDepthList, rescanButton, bookmarkList;
    HWND log, statusBar;

    HFONT font;
    HDC skin;         // memory device context holding the skin bitmap
    HWND selectedTab;
    int clientWidth, clientHeight, previousHeight;
    bool dragging;
    int lastBar;      // window y of the inverted drag bar
};

extern MAINWINDOW gMain;

// Sets the shell state to its start values (Download page, splitter at 410).
void InitMainWindowState(HINSTANCE instance);

// Declares the window class and creates the main window (which builds and fills its
// controls); shows it with `show`. False when the window cannot be made.
bool CreateMainWindow(int show);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creation and filling of the child controls (WM_CREATE).
void CreateControls(HWND window);
void FillControls();

void ShowPage(int page);
void LayoutMainWindow(int width, int height);
void RedrawOwnerButton(HWND button);

// Painting (WM_PAINT) and owner-drawn buttons (WM_DRAWITEM).
void PaintBand(HWND window);
void DrawOwnerButton(const DRAWITEMSTRUCT* item);

// The splitter drag.
void SplitterMouseMove(HWND window, int x, int y, WPARAM keys);
void SplitterButtonDown(HWND window, int x, int y);
void SplitterButtonUp(HWND window, int x, int y);

// WM_NOTIFY routing, WM_COMMAND and WM_ENTERMENULOOP (the commands).
LRESULT RouteNotify(const NMHDR* header);
LRESULT HandleCommand(HWND window, WPARAM wParam, LPARAM lParam);
void HandleEnterMenuLoop(HWND window, WPARAM wParam);

// The Download page's "Scan it": the typed address becomes a scan job.
void ScanFromAddressBox();

// Opens an address in the web browser; a message box when none is found.
void OpenInBrowser(const char* address);

// The address hand-over of a second start (WM_COPYDATA).
LRESULT AcceptHandOver(const COPYDATASTRUCT* data);

// Installs the window's functions in the views seam.
void InstallWindowViews();
// Runs one view request handed over by WM_ZORVEL_VIEW, after the reports queued before it.
LRESULT RunViewRequest(WPARAM kind, LPARAM argument);

// Ends the program: log line, bookmarks saved, Winsock ended, process ended. Does not return.
[[noreturn]] void Shutdown();
