#include "engine/download_list.h"

#include "engine/views.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

std::mutex gListLock;
std::vector<DOWNLOADITEM*> gItems;

const char* const kStateTexts[] = {"Transferring", "Stopped", "Retrying", "Complete", "Failed"};

}  // namespace

const char* DownloadStateText(int32_t state)
{
    return state >= 0 && state <= 4 ? kStateTexts[state] : "";
}

bool IsFinalDownloadState(int32_t state)
{
    return state == kDownloadStopped || state == kDownloadComplete || state == kDownloadFailed;
}

DOWNLOADITEM* AddDownloadItem(const char* address)
{
    DOWNLOADITEM* item = new (std::nothrow) DOWNLOADITEM{};
    if (item == nullptr) return nullptr;
    std::strncpy(item->szAddress, address, sizeof item->szAddress - 1);
    try {
        std::lock_guard<std::mutex> lock(gListLock);
        gItems.push_back(item);
    } catch (const std::bad_alloc&) {
        delete item;
        return nullptr;
    }
    Views().downloadItemAdded(item);
    return item;
}

int RefreshDownloadList()
{
    Views().downloadListRedrawn();
    std::vector<DOWNLOADITEM*> finished;
    {
        std::lock_guard<std::mutex> lock(gListLock);
        auto ended = std::stable_partition(gItems.begin(), gItems.end(),
                                           [](DOWNLOADITEM* item) { return !IsFinalDownloadState(item->nState.load()); });
        finished.assign(ended, gItems.end());
        gItems.erase(ended, gItems.end());
    }
    for (DOWNLOADITEM* item : finished) {
        Views().downloadItemRemoved(item);
        delete item;
    }
    return 1;
}

int DownloadItemCount()
{
    std::lock_guard<std::mutex> lock(gListLock);
    return static_cast<int>(gItems.size());
}

void ResetDownloadListForTest()
{
    std::lock_guard<std::mutex> lock(gListLock);
    for (DOWNLOADITEM* item : gItems) delete item;
    gItems.clear();
}
