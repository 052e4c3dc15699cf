#include "settings/options_dialog_window.h"

#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int gOptionsPage = 0;
OPTIONSPAGES gOptionsPages;

namespace {

constexpr int kPageList = 1001;

struct PageControl {
    HWND* handle;  // where the control's handle goes, or nullptr
    const char* className;
    const char* caption;
    DWORD style;
    int x, y, width, height;
    int textLimit;      // 0: none
    bool defaultFont;   // the page frames and the About title frame keep the default font
};

const DWORD kNumber = WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL;

// The main window's control font: the one its downloads list reports.
HFONT ControlFont()
{
    return reinterpret_cast<HFONT>(SendMessageA(gMain.downloadsList, WM_GETFONT, 0, 0));
}

void CreatePage(HWND dialog, const PageControl* controls, int count, HWND* handles, bool shown)
{
    HFONT font = ControlFont();
    for (int i = 0; i < count; ++i) {
        const PageControl& c = controls[i];
        HWND control = CreateWindowExA(0, c.className, c.caption, WS_CHILD | (shown ? WS_VISIBLE : 0) | c.style, c.x,
                                       c.y, c.width, c.height, dialog, nullptr, gMain.instance, nullptr);
        handles[i] = control;
        if (c.handle) *c.handle = control;
        if (c.textLimit) SendMessageA(control, EM_LIMITTEXT, c.textLimit, 0);
        if (!c.defaultFont) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void CreateOptionsPages(HWND dialog)
{
    OPTIONSPAGES& p = gOptionsPages;
    const PageControl general[] = {
        {nullptr, "BUTTON", "General", BS_GROUPBOX, 111, 2, 450, 327, 0, true},
        {&p.imageSource, "BUTTON", "Check \"img src=\" link when download image", BS_AUTOCHECKBOX, 131, 30, 300, 15, 0, false},
        {nullptr, "BUTTON", "Download Folder", BS_GROUPBOX, 131, 60, 420, 50, 0, false},
        {&p.folder, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 140, 80, 300, 18, 255, false},
        {&p.browse, "BUTTON", "Browse...", BS_PUSHBUTTON, 460, 78, 80, 20, 0, false},
        {nullptr, "STATIC", "- Download file only size over ", 0, 131, 130, 300, 20, 0, false},
        {&p.size, "EDIT", "", kNumber, 380, 127, 60, 18, 5, false},
        {nullptr, "STATIC", "Kilo Bytes ", 0, 460, 130, 80, 20, 0, false},
        {nullptr, "STATIC", "- Max URL link to process", 0, 131, 155, 300, 20, 0, false},
        {&p.links, "EDIT", "", kNumber, 380, 152, 60, 18, 5, false},
        {nullptr, "STATIC", "(Max 10,000)", 0, 460, 155, 80, 20, 0, false},
        {nullptr, "STATIC", "- Number of job thread ", 0, 131, 180, 300, 20, 0, false},
        {&p.threads, "EDIT", "", kNumber, 380, 177, 60, 18, 3, false},
        {nullptr, "STATIC", "( 1 ~ 100) ", 0, 460, 180, 80, 20, 0, false},
        {nullptr, "BUTTON", "Forced Stop Condition", BS_GROUPBOX, 131, 215, 420, 105, 0, false},
        {nullptr, "STATIC", "- When download time elapsed ", 0, 141, 240, 235, 15, 0, false},
        {&p.time, "EDIT", "", kNumber, 380, 237, 60, 18, 4, false},
        {nullptr, "STATIC", "minutes", 0, 460, 240, 60, 20, 0, false},
        {nullptr, "STATIC", "- When total downloaded file size over", 0, 141, 265, 235, 15, 0, false},
        {&p.total, "EDIT", "", kNumber, 380, 262, 60, 18, 5, false},
        {nullptr, "STATIC", "Mbytes", 0, 460, 265, 60, 20, 0, false},
        {nullptr, "STATIC", "- When free disk space remain under", 0, 141, 290, 235, 15, 0, false},
        {&p.free, "EDIT", "", kNumber, 380, 287, 60, 18, 5, false},
        {nullptr, "STATIC", "Mbytes", 0, 460, 290, 60, 20, 0, false},
    };
    const PageControl about[] = {
        {nullptr, "BUTTON", "About", BS_GROUPBOX, 111, 2, 450, 327, 0, true},
        {nullptr, "BUTTON", "", BS_GROUPBOX, 170, 30, 320, 35, 0, true},
        {nullptr, "STATIC", "The Web Scan-downloader - Zorvel v2.0.0", 0, 210, 45, 250, 18, 0, false},
        {nullptr, "STATIC",
         "Zorvel is an application that allows you to scan and download\n"
         "a mass of files from web site that contains many homogeneous\n"
         "sub links for image, movie, music, document, program files.\n"
         "It supports recursive scanning up to 3 depths.",
         0, 150, 80, 390, 100, 0, false},
    };
    static_assert(sizeof general / sizeof general[0] == sizeof p.general / sizeof p.general[0]);
    static_assert(sizeof about / sizeof about[0] == sizeof p.about / sizeof p.about[0]);
    CreatePage(dialog, general, 24, p.general, true);
    CreatePage(dialog, about, 4, p.about, false);
}

void ShowOptionsPage(int index)
{
    for (HWND control : gOptionsPages.general) ShowWindow(control, index == 0 ? SW_SHOW : SW_HIDE);
    for (HWND control : gOptionsPages.about) ShowWindow(control, index == 1 ? SW_SHOW : SW_HIDE);
}

void SetNumber(HWND field, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    SetWindowTextA(field, text);
}

void FillOptionsPage()
{
    const OPTIONSPAGES& p = gOptionsPages;
    SendMessageA(p.imageSource, BM_SETCHECK, gSettings.bCheckIMGSRC == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextA(p.folder, gSettings.szDownloadFolder);
    SetNumber(p.size, gSettings.nDownSizeLimit);
    SetNumber(p.links, gSettings.nUrlLinks);
    SetNumber(p.threads, gSettings.nThreads);
    SetNumber(p.time, gSettings.nLimitOprationTime);
    SetNumber(p.total, gSettings.nLimitTotalDownSize);
    SetNumber(p.free, gSettings.nLimitFreeDiskSpace);
}

int ReadNumber(HWND field, int limit)
{
    char text[20] = {};
    GetWindowTextA(field, text, sizeof text);
    int value = std::atoi(text);
    return limit > 0 && value > limit ? limit : value;
}

void ReadOptionsPage()
{
    const OPTIONSPAGES& p = gOptionsPages;
    gSettings.bCheckIMGSRC = SendMessageA(p.imageSource, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    char folder[kFolderSize] = {};
    GetWindowTextA(p.folder, folder, sizeof folder);
    SetDownloadFolder(folder);
    gSettings.nDownSizeLimit = ReadNumber(p.size, 0);
    gSettings.nUrlLinks = ReadNumber(p.links, 10000);
    gSettings.nThreads = ReadNumber(p.threads, 100);
    gSettings.nLimitOprationTime = ReadNumber(p.time, 1000);
    gSettings.nLimitTotalDownSize = ReadNumber(p.total, 10000);
    gSettings.nLimitFreeDiskSpace = ReadNumber(p.free, 10000);
}

int CALLBACK BrowseNotify(HWND browser, UINT message, LPARAM item, LPARAM)
{
    if (message == BFFM_INITIALIZED)
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(gSettings.szDownloadFolder));
    if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH];
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

int BrowseForFolder()
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return 0;
    BROWSEINFOA info = {};
    info.lpszTitle = "Choose a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseNotify;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item == nullptr) {
        allocator->Release();
        return 0;
    }
    char path[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListA(item, path) && std::strlen(path) < kFolderSize;
    if (ok) SetDownloadFolder(path);
    allocator->Free(item);
    allocator->Release();
    return ok ? 1 : 0;
}

// The pages are placed in pixels and the dialog in dialog units; where the dialog font is
// smaller than the system's usual one, the dialog grows so that the pages fit.
void FitPages(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    int wantWidth = 565, wantHeight = 335;
    if (client.right >= wantWidth && client.bottom >= wantHeight) return;
    RECT outer;
    GetWindowRect(dialog, &outer);
    int width = (outer.right - outer.left) + (client.right < wantWidth ? wantWidth - client.right : 0);
    int height = (outer.bottom - outer.top) + (client.bottom < wantHeight ? wantHeight - client.bottom : 0);
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND pages = GetDlgItem(dialog, kPageList);
        SendMessageA(pages, WM_SETFONT, reinterpret_cast<WPARAM>(gMain.font), TRUE);
        SendMessageA(pages, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("General"));
        SendMessageA(pages, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("About"));
        SendMessageA(pages, LB_SETCURSEL, 0, 0);
        CreateOptionsPages(dialog);
        FillOptionsPage();
        FitPages(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (HIWORD(wParam) == BN_CLICKED) {
            if (control != nullptr && control == gOptionsPages.browse) {
                if (BrowseForFolder()) SetWindowTextA(gOptionsPages.folder, gSettings.szDownloadFolder);
                ShowDownloadFolder();
            } else if (LOWORD(wParam) == IDOK) {
                ReadOptionsPage();
                SaveSettings();
                ShowDownloadFolder();
                EndDialog(dialog, 1);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
            }
        } else if (HIWORD(wParam) == LBN_SELCHANGE && LOWORD(wParam) == kPageList) {
            gOptionsPage = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
            ShowOptionsPage(gOptionsPage);
        }
        return TRUE;
    }
    default: return FALSE;
    }
}

void OpenOptionsDialog(HWND owner)
{
    DialogBoxParamA(gMain.instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsDialogProc, 0);
}
