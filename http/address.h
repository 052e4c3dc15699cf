// The parsed form of a plain http address: host, port, path and query, fixed-size and
// copied by value.
#pragma once

inline constexpr int kHostSize = 50;    // at most 49 characters; longer hosts are cut
inline constexpr int kPortSize = 6;     // at most 5 characters; "80" when none is given
inline constexpr int kPathSize = 101;   // "/" and at most 99 further characters, then the terminator
inline constexpr int kQuerySize = 300;  // at most 299 characters after the first "?"
inline constexpr int kLinkTextSize = 500;

struct AddressRecord {
    char host[kHostSize];
    char port[kPortSize];
    char path[kPathSize];
    char query[kQuerySize];
};

// Fills `record` from an address without its "http://". Writes into `text`: the first "?"
// after the host part becomes the end of the text, so afterwards `text` ends before its query.
void ParseAddress(char* text, AddressRecord* record);

// Resolves a link value found on the page `base` into `record`. Returns 1 when the link was
// absolute (began with "http://", case-sensitively), 0 when it was resolved against the page;
// a resolved link keeps the page's port. The link text itself is left unchanged.
int ResolveLink(const char* link, const AddressRecord& base, AddressRecord* record);
