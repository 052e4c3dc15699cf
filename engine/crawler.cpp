#include "engine/crawler.h"

#include "engine/job_table.h"
#include "engine/visited_table.h"
#include "http/failure.h"
#include "http/file_download.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

bool Running(const SCANJOB* job)
{
    return job->nStopMode.load(std::memory_order_relaxed) == kStopNone;
}

bool BelowLinkLimit(const SCANJOB* job)
{
    return job->nFound.load(std::memory_order_relaxed) < gSettings.nUrlLinks;
}

void PushShared(SCANJOB* job, int level, const AddressRecord& link)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    PushJobLink(job, level, link);
}

// A relative page link goes to the job's own queue, which the job's crawl thread and the pool's
// workers work through together.
void PushRelative(SCANJOB* job, int level, const AddressRecord& link)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    PushJobRelative(job, level, link);
}

// A file of the job's class goes to the job's download queue, which idle pool workers serve
// while this thread goes on scanning. When no node can be had it is downloaded here.
void DownloadIfWanted(CRAWLER& c, SCANJOB* job)
{
    if (!IsFormatExtension(job->nFormat, c.extension)) return;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        if (PushJobDownload(job, c.resolved)) return;
    }
    if (Running(job)) DownloadFile(job, c.resolved);
}

}  // namespace

bool WantsImageSources(const SCANJOB* job)
{
    return gSettings.bCheckIMGSRC != 0 && job->nFormat == kFormatImage;
}

const char* LinkKey(CRAWLER& c, int absolute)
{
    if (absolute) {
        AbsoluteLinkKey(c.link, c.key, sizeof c.key);
        return c.key;
    }
    const AddressRecord& r = c.resolved;
    // A port text holding "80" anywhere is left out of the key, and so is https's own 443, so
    // that a relative link and an absolute one to the same page meet on either scheme.
    if (std::strstr(r.port, "80") != nullptr || (IsHttps(r) && std::strcmp(r.port, "443") == 0))
        std::snprintf(c.key, sizeof c.key, "%s%s%s", r.host, r.path, r.query);
    else
        std::snprintf(c.key, sizeof c.key, "%s%s%s%s", r.host, r.port, r.path, r.query);
    return c.key;
}

void ScanPage(CRAWLER& c, SCANJOB* job, int level)
{
    const int imageSrc = WantsImageSources(job);
    const char* text = c.page;
    int advance;
    while (Running(job) && (advance = NextLink(imageSrc, text, c.link, &c.depthStep)) > 0) {
        text += advance;
        int absolute = ResolveLink(c.link, c.base, &c.resolved);
        if (absolute < 0) continue;  // the page itself
        if (!IsPageAddress(c.resolved, c.extension)) {
            DownloadIfWanted(c, job);
            continue;
        }
        if (level >= job->nDepth || !BelowLinkLimit(job) || !MarkIfNew(job, LinkKey(c, absolute))) continue;
        if (absolute)
            PushShared(job, level + c.depthStep, c.resolved);
        else
            PushRelative(job, level + c.depthStep, c.resolved);
    }
}

void ReadRelativePage(CRAWLER& c, SCANJOB* job, int level)
{
    if (FetchPage(job->nStopMode, &c.base, c.page) > 0) ScanPage(c, job, level);
    std::lock_guard<std::mutex> lock(gEngineLock);
    EndScan(job, level);
}

void CrawlLocalLinks(CRAWLER& c, SCANJOB* job)
{
    for (;;) {
        int level = -1;
        {
            std::lock_guard<std::mutex> lock(gEngineLock);
            if (Running(job)) level = TakeJobRelative(job, &c.base);
        }
        if (level < 0) return;
        ReadRelativePage(c, job, level);
    }
}

void CrawlJob(SCANJOB* job)
{
    // Each crawl thread has its own buffers for its life (a job's whole crawl).
    std::unique_ptr<CRAWLER> owned(new (std::nothrow) CRAWLER);
    if (owned && Running(job)) {
        CRAWLER& c = *owned;
        ParseWholeAddress(job->szAddress, &c.base);

        HoldFailures();
        bool fetched = FetchPage(job->nStopMode, &c.base, c.page) > 0;
        // A stop that cut the fetch short is the user's doing, not a failure of the page.
        bool failed = !fetched && Running(job);
        if (failed) job->bStartFailed.store(1);
        ReportHeldFailure(job->szAddress, failed);
        if (fetched) {
            const int imageSrc = WantsImageSources(job);
            int advance;

            // Pass A: the start page's absolute page links go to the shared queue.
            if (job->nDepth > 0) {
                const char* text = c.page;
                while (Running(job) && BelowLinkLimit(job) &&
                       (advance = NextLink(imageSrc, text, c.link, &c.depthStep)) > 0) {
                    text += advance;
                    int absolute = ResolveLink(c.link, c.base, &c.resolved);
                    if (absolute != 1 || !IsPageAddress(c.resolved, c.extension)) continue;
                    if (MarkIfNew(job, LinkKey(c, absolute))) PushShared(job, c.depthStep, c.resolved);
                }
            }

            // Pass B: the start page's files, and its relative page links. The start page counts
            // as a page being read at level 0 until its links are all queued.
            {
                std::lock_guard<std::mutex> lock(gEngineLock);
                BeginScan(job, 0);
            }
            const char* text = c.page;
            while (Running(job) && (advance = NextLink(imageSrc, text, c.link, &c.depthStep)) > 0) {
                text += advance;
                int absolute = ResolveLink(c.link, c.base, &c.resolved);
                if (absolute < 0) continue;
                if (!IsPageAddress(c.resolved, c.extension)) {
                    DownloadIfWanted(c, job);
                    continue;
                }
                if (!absolute && job->nDepth > 0 && MarkIfNew(job, LinkKey(c, absolute)))
                    PushRelative(job, c.depthStep, c.resolved);
            }
            {
                std::lock_guard<std::mutex> lock(gEngineLock);
                EndScan(job, 0);
            }

            // Pass C: the relative pages, breadth-first, beside the pool's workers.
            CrawlLocalLinks(c, job);
        }
    }
    job->nActive.fetch_sub(1);
}
