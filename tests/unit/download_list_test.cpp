#include "engine/download_list.h"
#include "engine/views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gEvents;

void Added(DOWNLOADITEM* item) { gEvents.push_back(std::string("add ") + item->szAddress); }
void Redrawn() { gEvents.push_back("redraw"); }
void Removed(DOWNLOADITEM* item) { gEvents.push_back(std::string("remove ") + item->szAddress); }

VIEWS gListViews;

TEST(DownloadList, RefreshRemovesEveryFinishedItemInOnePass)
{
    ResetDownloadListForTest();
    gEvents.clear();
    gListViews = VIEWS{};
    gListViews.downloadItemAdded = Added;
    gListViews.downloadListRedrawn = Redrawn;
    gListViews.downloadItemRemoved = Removed;
    InstallViews(&gListViews);

    const int32_t states[] = {kDownloadTransferring, kDownloadComplete, kDownloadStopped, kDownloadRetrying,
                              kDownloadFailed, kDownloadComplete};
    for (int i = 0; i < 6; ++i) {
        std::string address = "http://h/";
        address += std::to_string(i);  // not "literal" + to_string: GCC 12 warns wrongly on that at -O3
        DOWNLOADITEM* item = AddDownloadItem(address.c_str());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->nState.load(), kDownloadTransferring);
        item->nState = states[i];
    }
    EXPECT_EQ(RefreshDownloadList(), 1);
    EXPECT_EQ(DownloadItemCount(), 2);  // the transferring and the retrying one stay
    EXPECT_EQ(gEvents, (std::vector<std::string>{"add http://h/0", "add http://h/1", "add http://h/2",
                                                 "add http://h/3", "add http://h/4", "add http://h/5", "redraw",
                                                 "remove http://h/1", "remove http://h/2", "remove http://h/4",
                                                 "remove http://h/5"}));
    ResetViews();
    ResetDownloadListForTest();
}

TEST(DownloadList, StateTexts)
{
    const char* texts[] = {"Transferring", "Stopped", "Retrying", "Complete", "Failed"};
    for (int32_t s = 0; s < 5; ++s) EXPECT_STREQ(DownloadStateText(s), texts[s]);
    EXPECT_STREQ(DownloadStateText(-1), "");
    EXPECT_STREQ(DownloadStateText(5), "");
}

TEST(DownloadList, AddressIsCutTo255Characters)
{
    std::string address(400, 'a');
    DOWNLOADITEM* item = AddDownloadItem(address.c_str());
    EXPECT_EQ(std::string(item->szAddress), address.substr(0, 255));
    ResetDownloadListForTest();
}

}  // namespace
