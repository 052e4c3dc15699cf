// Whether a resolved link is a page to crawl or a file of a format class.
#pragma once

#include "http/address.h"

enum FormatClass : int { kFormatImage = 0, kFormatAudio, kFormatVideo, kFormatDocument, kFormatAny, kFormatCount };

inline constexpr int kExtensionSize = 8;

// "Image", "Audio", "Video", "Document", "Any"; empty outside 0 to 4.
const char* FormatName(int format);

// 1 when the address is a page (a query, no extension, an extension over four characters,
// a page extension, or a dot in a folder name); 0 for a file, with its extension in `extension`.
int IsPageAddress(const AddressRecord& address, char (&extension)[kExtensionSize]);

// 1 when `extension` (lower case, compared exactly) belongs to the class; 0 otherwise or for
// a class outside 0 to 4.
int IsFormatExtension(int format, const char* extension);
