// What the main window's buttons and command ids do, the typed-address entry, and opening
// an address in the browser.
#include "bookmarks/bookmark_list_window.h"
#include "engine/job_actions.h"
#include "engine/scan_list_window.h"
#include "resources/resource_ids.h"
#include "search/result_list_window.h"
#include "settings/options_dialog_window.h"
#include "shell/downloads_list_window.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"

#include <shellapi.h>

#include <cstring>

namespace {

// The maker's support page, handed to the browser as it is.
const char kSupportPage[] = "www.quillheath.example/support.html";

void OpenOptions(int page)
{
    if (page >= 0) gOptionsPage = page;
    OpenOptionsDialog(gMain.window);
}

void RunButton(HWND button)
{
    if (button == gMain.networkButton) CheckNetwork();
    else if (button == gMain.optionsButton) OpenOptions(-1);
    else if (button == gMain.helpButton) OpenInBrowser(kSupportPage);
    else if (button == gMain.searchTab) ShowPage(kPageSearch);
    else if (button == gMain.downloadTab) ShowPage(kPageDownload);
    else if (button == gMain.bookmarkTab) ShowPage(kPageBookmark);
    else if (button == gMain.searchButton) StartSearch();
    else if (button == gMain.moreButton) StartMoreResults();
    else if (button == gMain.searchScanButton) ScanSelectedResults();
    else if (button == gMain.scanButton) ScanFromAddressBox();
    else if (button == gMain.rescanButton) RescanSelectedBookmarks();
}

}  // namespace

LRESULT HandleCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDM_ABOUT: OpenOptions(1); break;
    case IDM_EXIT: Shutdown();
    case IDM_OPTIONS: OpenOptions(0); break;
    case IDM_VIEW_SEARCH: ShowPage(kPageSearch); break;
    case IDM_VIEW_DOWNLOAD: ShowPage(kPageDownload); break;
    case IDM_VIEW_BOOKMARK: ShowPage(kPageBookmark); break;
    case IDM_DELETE: DeleteSelectedJobs(); break;
    case IDM_STOP_GRACEFULLY: StopSelectedGracefully(); break;
    case IDM_STOP_IMMEDIATELY: StopSelectedImmediately(); break;
    case IDM_BOOKMARK: BookmarkSelectedJobs(); break;
    case IDM_OPEN_BROWSER: OpenSelectedJob(); break;
    case IDM_HELP: OpenInBrowser(kSupportPage); break;
    default: break;
    }
    HWND control = reinterpret_cast<HWND>(lParam);
    switch (HIWORD(wParam)) {
    case 0:  // BN_CLICKED, or a menu command (no control)
        if (control != nullptr) RunButton(control);
        return 0;
    case EN_ERRSPACE:
        if (control == gMain.log) LogOutOfSpace();
        return 0;
    case EN_MAXTEXT:
        if (control == gMain.log) LogLimitReached();
        return 0;
    default: return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

void HandleEnterMenuLoop(HWND window, WPARAM wParam)
{
    if (wParam != FALSE) return;
    HMENU menu = GetMenu(window);
    int mask = 0;
    bool any = gMain.currentPage == kPageDownload && SelectionStateMask(&mask) > 0;
    auto enable = [menu](int command, bool on) { EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(IDM_DELETE, any && (mask & (1 | 4 | 8)));
    enable(IDM_STOP_GRACEFULLY, any && (mask & 2));
    enable(IDM_STOP_IMMEDIATELY, any && (mask & 2));
    enable(IDM_BOOKMARK, any && (mask & (4 | 8)));
    enable(IDM_OPEN_BROWSER, any);
}

void ScanFromAddressBox()
{
    char address[256] = {};
    *reinterpret_cast<WORD*>(address) = sizeof address - 1;  // EM_GETLINE reads the buffer size from here
    LRESULT length = SendMessageA(gMain.addressBox, EM_GETLINE, 0, reinterpret_cast<LPARAM>(address));
    address[length >= 0 && length < 256 ? length : 255] = '\0';
    int format = static_cast<int>(SendMessageA(gMain.formatList, CB_GETCURSEL, 0, 0));
    int depth = static_cast<int>(SendMessageA(gMain.depthList, CB_GETCURSEL, 0, 0));
    AddTypedAddress(address, format < 0 ? 0 : format, depth < 0 ? 1 : depth);
}

void OpenInBrowser(const char* address)
{
    const char folder[] = "C:\\Program Files\\Internet Explorer";
    char program[256] = {};
    if (reinterpret_cast<INT_PTR>(FindExecutableA("IEXPLORE.EXE", folder, program)) < 32) {
        MessageBoxA(gMain.window, "Can't Find Internet Explorer.. Install it", "Error", MB_OK);
        return;
    }
    ShellExecuteA(nullptr, "open", program, address, folder, SW_SHOW);
}

LRESULT RouteNotify(const NMHDR* header)
{
    HWND from = header->hwndFrom;
    if (from == gMain.statusBar) {
        if (header->code == NM_DBLCLK) StatusBarDoubleClick(reinterpret_cast<const NMMOUSE*>(header)->pt);
        return 0;
    }
    bool customDraw = header->code == NM_CUSTOMDRAW;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
    if (from == gMain.resultsList) return customDraw ? ResultListCustomDraw(draw) : ResultListNotify(header);
    if (from == gMain.scanList) return customDraw ? ScanListCustomDraw(draw) : ScanListNotify(header);
    if (from == gMain.bookmarkList) return customDraw ? BookmarkListCustomDraw(draw) : BookmarkListNotify(header);
    if (from == gMain.downloadsList) return DownloadsListNotify(header);
    return 0;
}
