// Page switching, the layout for a client size, and the splitter between the two lists.
#include "shell/main_window.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

// The controls of each page, shown and hidden together.
void ShowGroup(int page, bool shown)
{
    static HWND MAINWINDOW::*const kSearch[] = {
        &MAINWINDOW::keywordLabel,      &MAINWINDOW::keywordBox,       &MAINWINDOW::engineLabel,
        &MAINWINDOW::engineList,        &MAINWINDOW::searchButton,     &MAINWINDOW::moreButton,
        &MAINWINDOW::searchFormatLabel, &MAINWINDOW::searchFormatList, &MAINWINDOW::searchDepthLabel,
        &MAINWINDOW::searchDepthList,   &MAINWINDOW::searchScanButton, &MAINWINDOW::resultsList};
    static HWND MAINWINDOW::*const kDownload[] = {
        &MAINWINDOW::addressLabel, &MAINWINDOW::addressBox, &MAINWINDOW::formatLabel, &MAINWINDOW::formatList,
        &MAINWINDOW::depthLabel,   &MAINWINDOW::depthList,  &MAINWINDOW::scanButton,  &MAINWINDOW::statusLine,
        &MAINWINDOW::scanList,     &MAINWINDOW::downloadsList};
    static HWND MAINWINDOW::*const kBookmark[] = {
        &MAINWINDOW::bookmarkFormatLabel, &MAINWINDOW::bookmarkFormatList, &MAINWINDOW::bookmarkDepthLabel,
        &MAINWINDOW::bookmarkDepthList,   &MAINWINDOW::rescanButton,       &MAINWINDOW::bookmarkList};
    auto show = [shown](auto& group) {
        for (HWND MAINWINDOW::*control : group) ShowWindow(gMain.*control, shown ? SW_SHOW : SW_HIDE);
    };
    if (page == kPageSearch) show(kSearch);
    if (page == kPageDownload) show(kDownload);
    if (page == kPageBookmark) show(kBookmark);
}

HWND TabOf(int page)
{
    return page == kPageSearch ? gMain.searchTab : page == kPageDownload ? gMain.downloadTab : gMain.bookmarkTab;
}

void Move(HWND control, int x, int y, int width, int height)
{
    MoveWindow(control, x, y, width, height, TRUE);
}

void MoveList(HWND list, int x, int y, int width, int height, int lastColumn)
{
    Move(list, x, y, width, height);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, lastColumn, LVSCW_AUTOSIZE_USEHEADER);
}

int ClampBar(HWND window, int y)
{
    RECT outer;
    GetWindowRect(window, &outer);
    int limit = outer.bottom - outer.top - 4;
    return y < 0 ? 0 : y > limit ? limit : y;
}

// A client point's y in window coordinates (frame and caption included).
int WindowY(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    RECT outer;
    GetWindowRect(window, &outer);
    return point.y - outer.top;
}

void InvertBar(HWND window, int y)
{
    static const WORD kHalftone[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    RECT outer;
    GetWindowRect(window, &outer);
    HDC dc = GetWindowDC(window);
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kHalftone);
    HBRUSH brush = CreatePatternBrush(pattern);
    SetBrushOrgEx(dc, 1, y - 2, nullptr);
    HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, 1, y - 2, outer.right - outer.left - 2, 4, PATINVERT);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteObject(pattern);
    ReleaseDC(window, dc);
}

bool OnBar(int y)
{
    return y >= gMain.splitter && y <= gMain.splitter + 3;
}

}  // namespace

void RedrawOwnerButton(HWND button)
{
    InvalidateRect(button, nullptr, FALSE);
    UpdateWindow(button);
}

void ShowPage(int page)
{
    if (page == gMain.currentPage) return;
    gMain.currentPage = page;
    for (int group : {kPageSearch, kPageDownload, kPageBookmark}) ShowGroup(group, group == page);
    HWND previous = gMain.selectedTab;
    RedrawOwnerButton(TabOf(page));
    RedrawOwnerButton(previous);
    gMain.selectedTab = TabOf(page);
}

void LayoutMainWindow(int W, int H)
{
    gMain.clientWidth = W;
    gMain.clientHeight = H;
    if (gMain.previousHeight == 0) gMain.previousHeight = H;
    if (H != 0) {
        // The splitter keeps its distance from the bottom, at least 110 pixels above it and
        // never above y = 180; when the two bounds meet, 180 wins.
        int s = gMain.splitter + (H - gMain.previousHeight);
        if (s > H - 110) s = H - 110;
        if (s < 180) s = 180;
        gMain.splitter = s;
    }
    if (W > 730) {
        Move(gMain.keywordBox, 72, 92, W - 460, 22);
        Move(gMain.engineLabel, W - 370, 94, 50, 19);
        Move(gMain.engineList, W - 320, 92, 105, 120);
        Move(gMain.searchButton, W - 190, 92, 80, 22);
        Move(gMain.moreButton, W - 95, 92, 80, 22);
        Move(gMain.addressBox, 62, 92, W - 420, 22);
        Move(gMain.formatLabel, W - 350, 94, 45, 19);
        Move(gMain.formatList, W - 300, 92, 85, 120);
        Move(gMain.depthLabel, W - 210, 94, 40, 19);
        Move(gMain.depthList, W - 170, 92, 60, 100);
        Move(gMain.scanButton, W - 95, 92, 80, 22);
        Move(gMain.bookmarkFormatLabel, W - 350, 94, 45, 19);
        Move(gMain.bookmarkFormatList, W - 300, 92, 85, 120);
        Move(gMain.bookmarkDepthLabel, W - 210, 94, 40, 19);
        Move(gMain.bookmarkDepthList, W - 170, 92, 60, 100);
        Move(gMain.rescanButton, W - 95, 92, 80, 22);
    }
    if (H > 200) {
        int S = gMain.splitter;
        MoveList(gMain.resultsList, 0, 150, W, H - 195, 3);
        MoveList(gMain.scanList, 0, 142, W, S - 142, 7);
        MoveList(gMain.downloadsList, 0, S + 3, W, H - S - 48, 4);
        Move(gMain.log, 0, H - 42, W, 21);
        MoveList(gMain.bookmarkList, 0, 120, W, H - 165, 7);
    }
    gMain.previousHeight = H;
}

void SplitterMouseMove(HWND window, int x, int y, WPARAM keys)
{
    if (OnBar(y)) SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
    if (!gMain.dragging) return;
    int bar = ClampBar(window, WindowY(window, x, y));
    if (bar != gMain.lastBar && (keys & MK_LBUTTON)) {
        InvertBar(window, gMain.lastBar);
        InvertBar(window, bar);
        gMain.lastBar = bar;
    }
}

void SplitterButtonDown(HWND window, int x, int y)
{
    if (!OnBar(y)) return;
    int bar = ClampBar(window, WindowY(window, x, y));
    gMain.dragging = true;
    SetCapture(window);
    InvertBar(window, bar);
    gMain.lastBar = bar;
}

void SplitterButtonUp(HWND window, int x, int y)
{
    if (!gMain.dragging) return;
    int bar = ClampBar(window, WindowY(window, x, y));
    InvertBar(window, gMain.lastBar);
    gMain.lastBar = bar;
    gMain.dragging = false;
    // Back to client coordinates.
    gMain.splitter = y + (bar - WindowY(window, x, y));
    LayoutMainWindow(gMain.clientWidth, gMain.clientHeight);
    ReleaseCapture();
}

void PaintBand(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    StretchBlt(dc, 1, 1, gMain.clientWidth, 80, gMain.skin, 309, 15, 12, 80, SRCCOPY);
    EndPaint(window, &paint);
}

void DrawOwnerButton(const DRAWITEMSTRUCT* item)
{
    struct Tile {
        int x, y, width, height;
    } tile{};
    HWND button = item->hwndItem;
    if (button == gMain.networkButton)
        tile = gMain.networkState ? Tile{2, 2, 39, 49} : Tile{43, 2, 39, 49};
    else if (button == gMain.optionsButton)
        tile = {125, 2, 39, 49};
    else if (button == gMain.helpButton)
        tile = {166, 2, 39, 49};
    else if (button == gMain.searchTab)
        tile = {2, gMain.currentPage == kPageSearch ? 75 : 53, 81, 20};
    else if (button == gMain.downloadTab)
        tile = {85, gMain.currentPage == kPageDownload ? 75 : 53, 81, 20};
    else if (button == gMain.bookmarkTab)
        tile = {168, gMain.currentPage == kPageBookmark ? 75 : 53, 81, 20};
    else
        return;
    const RECT& r = item->rcItem;
    StretchBlt(item->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, gMain.skin, tile.x, tile.y, tile.width,
               tile.height, SRCCOPY);
}
