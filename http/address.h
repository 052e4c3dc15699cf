// The parsed form of an http or https address: host, port, path, query and scheme,
// fixed-size and copied by value.
#pragma once

#include <cstddef>

inline constexpr int kHostSize = 50;    // at most 49 characters; longer hosts are cut
inline constexpr int kPortSize = 6;     // at most 5 characters; "80" when none is given
inline constexpr int kPathSize = 101;   // "/" and at most 99 further characters, then the terminator
inline constexpr int kQuerySize = 300;  // at most 299 characters after the first "?"
inline constexpr int kLinkTextSize = 500;
inline constexpr int kSchemeSize = 6;   // "http" or "https"

struct AddressRecord {
    char host[kHostSize];
    char port[kPortSize];
    char path[kPathSize];
    char query[kQuerySize];
    char scheme[kSchemeSize];
};

// 7 when `address` begins with exactly "http://", 8 for exactly "https://", else 0.
int SchemeLength(const char* address);
bool IsHttps(const AddressRecord& record);
// The port a scheme gets when its address names none: "443" for https, else "80".
const char* DefaultPort(const AddressRecord& record);

// Fills `record` from an address without its scheme ("http://", or "https://" when `https`,
// which makes "443" the port an address without one gets). A fragment (from the first "#") is
// dropped and the path's dot segments are removed before the path is cut to its 99
// characters. Writes into `text`: it ends before its fragment and its query, with the clean
// path.
void ParseAddress(char* text, AddressRecord* record, bool https = false);

// Fills `record` from a whole address: "https://" ones as https, "http://" ones, and any
// other text from its eighth character on, as http.
void ParseWholeAddress(const char* address, AddressRecord* record);

// The address of a record as people read it: scheme, "://", host, the port when it is not the
// scheme's default, path and "?" query. False when it did not fit.
bool FormatAddress(const AddressRecord& record, char* text, size_t size);

// Resolves a link value found on the page `base` into `record`, without its fragment and
// with its path's dot segments removed. Returns 1 when the link was absolute (began with
// "http://" or "https://", case-sensitively), 0 when it was resolved against the page
// (keeping the page's scheme and port), and -1 when nothing is left once the fragment is dropped: the link names the page
// it stands on (`record` is then the page's). The link text itself is left unchanged.
int ResolveLink(const char* link, const AddressRecord& base, AddressRecord* record);

// Removes the "." and ".." segments of the `length` characters at `path` in place (RFC 3986,
// section 5.2.4); ".." above the root stays at "/". Terminates the result and returns its length.
size_t RemoveDotSegments(char* path, size_t length);

// The visited-table key of an absolute link: its text after the scheme, without its fragment,
// with the path's dot segments removed and the query untouched.
void AbsoluteLinkKey(const char* link, char* key, size_t size);
