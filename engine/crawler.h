// The work of the crawl threads and the pool workers: fetching pages, downloading their
// files and queueing their page links.
#pragma once

#include "engine/link_queue.h"
#include "http/page_fetch.h"
#include "links/classify.h"
#include "links/link_scanner.h"

// One thread's buffers, made once and kept for the thread's life, so that nothing is
// allocated per link but queue nodes.
struct CRAWLER {
    char page[kPageBufferSize];
    AddressRecord base;      // the page being scanned; a redirect rewrites it
    char link[kLinkValueSize];
    int depthStep;
    AddressRecord resolved;  // the current link
    char extension[kExtensionSize];
    char key[kLinkValueSize];
};

// The crawl thread body of one Processing job; the job's nActive already counts it.
// Lowers nActive when done.
void CrawlJob(SCANJOB* job);

// Scans the page in `crawler.page`, found at `level`, as a pool worker or the crawl thread's
// local pass does: files of the job's class are downloaded, page links are queued while the
// level is below the job's depth and nFound below the link limit.
void ScanPage(CRAWLER& crawler, SCANJOB* job, int level);

// Fetches and scans a relative page of the job taken at `level`, then gives the level back
// (EndScan).
void ReadRelativePage(CRAWLER& crawler, SCANJOB* job, int level);

// The crawl thread's pass through the job's relative page links beside the pool's workers,
// until none is left that it may take or the job is stopped.
void CrawlLocalLinks(CRAWLER& crawler, SCANJOB* job);

// True when the job's image sources are taken as links: the option is on and the job's
// class is Image.
bool WantsImageSources(const SCANJOB* job);

// The visited-table key of a page link, written into `crawler.key`: for an absolute link its
// text after its scheme without fragment and dot segments; for a relative one the key made
// of the resolved parts.
const char* LinkKey(CRAWLER& crawler, int absolute);
