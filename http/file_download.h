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
int DownloadFile(SCANJOB* job, const AddressRecord& address);
