// Downloading one file link of a scan job into the download folder, with one resume.
#pragma once

#include "http/address.h"

struct SCANJOB;
struct DOWNLOADITEM;

// Saves the file at `address` into the download folder under its local name. Returns 1 when
// the file was saved in full, 0 in every other case. A file that exists already (or that
// another thread is fetching now) is skipped without a request. The bytes go to a temporary
// file that takes the final name only when complete, and never replaces a file; every
// failure and stop deletes it.
// A path that would pass 255 characters, and a file that cannot be created or published, is
// refused with one log line. Before a job's first download into a folder, that folder is
// cleared of leftover temporary files.
int DownloadFile(SCANJOB* job, const AddressRecord& address);

// Deletes the temporary files ".zorvel-<pid>-<n>.part" in `folder` whose process is no
// running Zorvel program; files of this process only when `ownAreLeftovers` (at start-up,
// when none of its own exist yet). A file of any other name is never touched.
void SweepLeftoverParts(const char* folder, bool ownAreLeftovers);
