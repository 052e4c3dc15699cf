// The Bookmark page, the Search page's result list and the options dialog, in this process.
#include "bookmarks/bookmark_list_window.h"
#include "bookmarks/bookmark_store.h"
#include "engine/job_table.h"
#include "platform/files.h"
#include "resources/resource_ids.h"
#include "search/result_list_window.h"
#include "search/search.h"
#include "settings/options_dialog_window.h"
#include "settings/settings.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/temp_dir.h"
#include "gui_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

void Select(HWND list, const std::vector<int>& rows)
{
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

void Notify(HWND list, UINT code, int column = 0)
{
    NMLISTVIEW n = {};
    n.hdr.hwndFrom = list;
    n.hdr.code = code;
    n.iSubItem = column;
    SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

// Runs with the installation folder (the current directory) in a fresh temporary folder.
class Pages : public ::testing::Test {
protected:
    TempDir dir;
    char previous[1024] = {};

    void SetUp() override
    {
        GetCurrentDir(previous, sizeof previous);
        SetCurrentDir(dir.path.c_str());
        ResetEngineForTest();
    }
    void TearDown() override
    {
        ListView_DeleteAllItems(gMain.scanList);
        ResetEngineForTest();
        SetCurrentDir(previous);
    }

    SCANJOB* AddJob(const char* address, int32_t state, int64_t size)
    {
        EXPECT_EQ(AddScanJob(address, 1, 2), AddResult::Added);
        std::lock_guard<std::mutex> lock(gEngineLock);
        SCANJOB* job = JobAt(JobCount() - 1);
        job->nState = state;
        job->nSize = size;
        return job;
    }
};

TEST_F(Pages, BookmarksFromTheJobListSavedInListOrder)
{
    ASSERT_EQ(ListView_GetItemCount(gMain.bookmarkList), 0);
    AddJob("http://b.example/", kJobStopped, 5000);
    AddJob("http://a.example/", kJobComplete, 100);
    AddJob("http://queued.example/", kJobQueued, 0);
    Select(gMain.scanList, {0, 1, 2});
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(IDM_BOOKMARK, 0), 0);
    ASSERT_EQ(ListView_GetItemCount(gMain.bookmarkList), 2);  // only finished jobs
    std::string log = Text(gMain.log);
    EXPECT_NE(log.find("Success in Bookmarking ( http://b.example/ )"), std::string::npos);

    std::vector<std::string> cells;
    for (int c = 0; c < 7; ++c) cells.push_back(Cell(gMain.bookmarkList, 0, c));
    EXPECT_EQ(cells, (std::vector<std::string>{"http://b.example/", "Stopped", "Audio", "R-2", "0", "0", "4KB"}));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    SendMessageA(gMain.bookmarkList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, kJobStopped);

    // The Stopped state in orange.
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr.hwndFrom = gMain.bookmarkList;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    LVITEMA param = {};
    param.mask = LVIF_PARAM;
    param.iItem = 0;
    SendMessageA(gMain.bookmarkList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&param));
    draw.nmcd.lItemlParam = param.lParam;
    draw.iSubItem = 1;
    EXPECT_EQ(SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), CDRF_NEWFONT);
    EXPECT_EQ(draw.clrText, RGB(228, 107, 27));

    // Sorted by size (bytes, not the text), then saved in that order.
    Notify(gMain.bookmarkList, LVN_COLUMNCLICK, 6);
    EXPECT_EQ(Cell(gMain.bookmarkList, 0, 0), "http://a.example/");
    SaveBookmarkList();
    std::string bytes = ReadWholeFile(dir.File("Bookmark.dat"));
    ASSERT_EQ(bytes.size(), 568u);
    EXPECT_EQ(std::string(bytes.c_str()), "http://a.example/");
    EXPECT_EQ(std::string(bytes.c_str() + 284), "http://b.example/");
    EXPECT_EQ(ListView_GetItemCount(gMain.bookmarkList), 0);

    // Loaded again at the next start.
    EXPECT_EQ(LoadBookmarksIntoList(), 2);
    ListView_DeleteAllItems(gMain.bookmarkList);
}

TEST_F(Pages, BookmarkRescanUsesThePageChoices)
{
    auto* bare = new BOOKMARK{};
    std::strcpy(bare->szAddress, "www.bare.example/");
    bare->nState = kJobComplete;
    auto* other = new BOOKMARK{};
    std::strcpy(other->szAddress, "http://other.example/");
    other->nState = kJobStopped;
    AppendBookmark(bare);
    AppendBookmark(other);
    EXPECT_EQ(Cell(gMain.bookmarkList, 0, 0), "http://www.bare.example/");  // shown with its scheme

    Select(gMain.bookmarkList, {});
    Notify(gMain.bookmarkList, NM_CLICK);
    EXPECT_FALSE(IsWindowEnabled(gMain.rescanButton));
    Select(gMain.bookmarkList, {0, 1});
    Notify(gMain.bookmarkList, NM_CLICK);
    EXPECT_TRUE(IsWindowEnabled(gMain.rescanButton));
    SendMessageA(gMain.bookmarkFormatList, CB_SETCURSEL, 3, 0);
    SendMessageA(gMain.bookmarkDepthList, CB_SETCURSEL, 0, 0);
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.rescanButton));
    ASSERT_EQ(ListView_GetItemCount(gMain.scanList), 2);
    EXPECT_EQ(Cell(gMain.scanList, 1, 0), "http://other.example/");
    EXPECT_EQ(Cell(gMain.scanList, 1, 2), "Document");
    EXPECT_EQ(Cell(gMain.scanList, 1, 3), "R-0");
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.rescanButton));
    EXPECT_NE(Text(gMain.log).find("Already in Scanning Address List( http://other.example/ )"), std::string::npos);
    EXPECT_EQ(ListView_GetItemCount(gMain.scanList), 2);

    DeleteSelectedBookmarks();
    EXPECT_EQ(ListView_GetItemCount(gMain.bookmarkList), 0);
    EXPECT_FALSE(IsWindowEnabled(gMain.rescanButton));
    SendMessageA(gMain.bookmarkFormatList, CB_SETCURSEL, 0, 0);
    SendMessageA(gMain.bookmarkDepthList, CB_SETCURSEL, 1, 0);
}

TEST_F(Pages, SearchResultsScanAndSort)
{
    ClearSearchResults();
    gSearch.nEngine = kEngineGoogle;
    for (const char* text : {"site.example/", "b.example/index.php?id=5", "a.example/"}) {
        char buffer[100];
        std::strcpy(buffer, text);
        AddressRecord address;
        ParseAddress(buffer, &address);
        AddSearchResult(address);
    }
    ASSERT_EQ(ListView_GetItemCount(gMain.resultsList), 3);
    EXPECT_EQ(Cell(gMain.resultsList, 1, 0), "http://b.example/index.php?id=5");
    EXPECT_EQ(Cell(gMain.resultsList, 1, 1), "Ready");
    EXPECT_EQ(Cell(gMain.resultsList, 1, 2), "Google");
    EXPECT_EQ(Cell(gMain.resultsList, 1, 3), "G_2");

    Select(gMain.resultsList, {0, 2});
    Notify(gMain.resultsList, NM_CLICK);
    EXPECT_TRUE(IsWindowEnabled(gMain.searchScanButton));
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.searchScanButton));
    EXPECT_EQ(ListView_GetItemCount(gMain.scanList), 2);
    EXPECT_EQ(Cell(gMain.resultsList, 0, 1), "Scaned");
    EXPECT_EQ(Cell(gMain.resultsList, 1, 1), "Ready");
    EXPECT_EQ(Cell(gMain.resultsList, 2, 1), "Scaned");

    Notify(gMain.resultsList, LVN_COLUMNCLICK, 3);  // rank ascending, then descending
    Notify(gMain.resultsList, LVN_COLUMNCLICK, 3);
    EXPECT_EQ(Cell(gMain.resultsList, 0, 3), "G_3");
    Notify(gMain.resultsList, LVN_COLUMNCLICK, 0);  // another column: ascending
    EXPECT_EQ(Cell(gMain.resultsList, 0, 0), "http://a.example/");

    ClearSearchResults();
    EXPECT_EQ(ListView_GetItemCount(gMain.resultsList), 0);
    EXPECT_FALSE(IsWindowEnabled(gMain.searchScanButton));
}

TEST_F(Pages, OptionsDialogAppliesLimitsOnOk)
{
    SetDefaultSettings(&gSettings);
    std::thread user([] {
        HWND dialog = WaitForDialog();
        if (dialog == nullptr) return;
        const OPTIONSPAGES& p = gOptionsPages;
        SetWindowTextA(p.threads, "250");
        SetWindowTextA(p.links, "99999");
        SetWindowTextA(p.free, "99999");
        SetWindowTextA(p.time, "1500");
        SetWindowTextA(p.size, "99999");
        SetWindowTextA(p.total, "0");
        SetWindowTextA(p.folder, "D:\\X");
        SendMessageA(p.imageSource, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
    user.join();
    EXPECT_EQ(gSettings.nThreads, 100);
    EXPECT_EQ(gSettings.nUrlLinks, 10000);
    EXPECT_EQ(gSettings.nLimitFreeDiskSpace, 10000);
    EXPECT_EQ(gSettings.nLimitTotalDownSize, 0);
    EXPECT_EQ(gSettings.nLimitOprationTime, 1000);
    EXPECT_EQ(gSettings.nDownSizeLimit, 99999);
    EXPECT_EQ(gSettings.bCheckIMGSRC, 1);
    EXPECT_STREQ(gSettings.szDownloadFolder, "D:\\X");
    std::string ini = ReadWholeFile(dir.File("Zorvel.ini"));
    EXPECT_NE(ini.find("nThreads=100\r\n"), std::string::npos);
    EXPECT_NE(ini.find("szDownloadFolder=D:\\X\r\n"), std::string::npos);
    char part[300] = {};
    SendMessageA(gMain.statusBar, SB_GETTEXTA, 5, reinterpret_cast<LPARAM>(part));
    EXPECT_STREQ(part, "D:\\X");
    SetDefaultSettings(&gSettings);
    ShowDownloadFolder();
}

TEST_F(Pages, OptionsDialogCancelAndPages)
{
    SetDefaultSettings(&gSettings);
    WriteWholeFile(dir.File("Zorvel.ini"), "nThreads=7\r\n");
    bool aboutShown = false, generalHidden = false, generalBack = false;
    std::thread user([&] {
        HWND dialog = WaitForDialog();
        if (dialog == nullptr) return;
        HWND pages = GetDlgItem(dialog, 1001);
        SendMessageA(pages, LB_SETCURSEL, 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), reinterpret_cast<LPARAM>(pages));
        aboutShown = IsWindowVisible(gOptionsPages.about[2]);
        generalHidden = !IsWindowVisible(gOptionsPages.threads);
        SendMessageA(pages, LB_SETCURSEL, 0, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), reinterpret_cast<LPARAM>(pages));
        generalBack = IsWindowVisible(gOptionsPages.threads) && !IsWindowVisible(gOptionsPages.about[2]);
        SetWindowTextA(gOptionsPages.threads, "3");
        CancelDialog(dialog);
    });
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
    user.join();
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(generalHidden);
    EXPECT_TRUE(generalBack);
    EXPECT_EQ(gOptionsPage, 0);
    EXPECT_EQ(gSettings.nThreads, 50);
    EXPECT_EQ(ReadWholeFile(dir.File("Zorvel.ini")), "nThreads=7\r\n");
}

TEST_F(Pages, OptionsDialogFonts)
{
    // The page list has the Verdana font; the page frames and the About title frame keep the
    // default one (none set); every other control has the font the downloads list reports.
    HFONT control = reinterpret_cast<HFONT>(SendMessageA(gMain.downloadsList, WM_GETFONT, 0, 0));
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control, gMain.font);
    struct Seen {
        std::string name;
        HFONT font, expected;
    };
    std::vector<Seen> seen;
    std::thread user([&] {
        HWND dialog = WaitForDialog();
        if (dialog == nullptr) return;
        auto font = [](HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); };
        seen.push_back({"page list", font(GetDlgItem(dialog, 1001)), gMain.font});
        const OPTIONSPAGES& p = gOptionsPages;
        const HWND keepDefault[] = {p.general[0], p.about[0], p.about[1]};
        auto add = [&](const char* page, int index, HWND window) {
            bool keeps = std::find(std::begin(keepDefault), std::end(keepDefault), window) != std::end(keepDefault);
            seen.push_back({std::string(page) + " " + std::to_string(index) + " \"" + Text(window) + "\"", font(window),
                            keeps ? nullptr : control});
        };
        for (int i = 0; i < 24; ++i) add("General", i, p.general[i]);
        for (int i = 0; i < 4; ++i) add("About", i, p.about[i]);
        CancelDialog(dialog);
    });
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
    user.join();
    ASSERT_FALSE(seen.empty()) << "the dialog did not open";
    for (const Seen& s : seen) EXPECT_EQ(s.font, s.expected) << s.name;
}

}  // namespace
