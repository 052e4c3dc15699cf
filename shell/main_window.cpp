#include "shell/main_window.h"

#include "resources/resource_ids.h"
#include "shell/status_bar.h"
#include "shell/view_queue.h"

#include <windowsx.h>

#include <cstring>

MAINWINDOW gMain;

void InitMainWindowState(HINSTANCE instance)
{
    gMain.instance = instance;
    gMain.currentPage = kPageDownload;
    gMain.splitter = 410;
    gMain.lastBar = -4;
}

bool CreateMainWindow(int show)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = gMain.instance;
    windowClass.hIcon = LoadIconA(gMain.instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hIconSm = LoadIconA(gMain.instance, MAKEINTRESOURCEA(IDI_PROGRAM_SMALL));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    windowClass.lpszClassName = gMain.className;
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(WS_EX_WINDOWEDGE, gMain.className, gMain.title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 840, 630, nullptr, nullptr, gMain.instance, nullptr);
    if (window == nullptr) return false;
    ShowWindow(window, show);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        gMain.window = window;
        CreateControls(window);
        FillControls();
        InstallWindowViews();
        CheckNetwork();
        return 0;
    case WM_DESTROY:
        Shutdown();
    case WM_SIZE:
        LayoutMainWindow(LOWORD(lParam), HIWORD(lParam));
        SendMessageA(gMain.statusBar, WM_SIZE, wParam, lParam);
        InvalidateRect(gMain.statusBar, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        PaintBand(window);
        return 0;
    case WM_DRAWITEM:
        DrawOwnerButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_COPYDATA:
        return AcceptHandOver(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_NOTIFY:
        return RouteNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        return HandleCommand(window, wParam, lParam);
    case WM_MOUSEMOVE:
        SplitterMouseMove(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam);
        return 0;
    case WM_LBUTTONDOWN:
        SplitterButtonDown(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        SplitterButtonUp(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_ENTERMENULOOP:
        HandleEnterMenuLoop(window, wParam);
        return 0;
    case WM_ZORVEL_VIEW:
        return RunViewRequest(wParam, lParam);
    case WM_ZORVEL_VIEWS_WAITING:
        ViewsWaiting(window);
        return 0;
    case WM_TIMER:
        if (wParam == kViewPaceTimer) ViewPaceTick(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
