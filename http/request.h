// HTTP/1.1 request composition: a record of fixed header slots turned into request text.
#pragma once

#include "http/address.h"

inline constexpr int kSlotSize = 100;        // at most 99 characters per header value
inline constexpr int kRequestBufferSize = 5000;

enum RequestMethod : int { kMethodOption = 1, kMethodGet, kMethodHead, kMethodPost, kMethodPut,
                           kMethodDelete, kMethodTrace, kMethodConnect };

inline constexpr int kTargetAbsolute = 2;  // "http://host..." in the request line
inline constexpr int kTargetOrigin = 3;    // path only; any value but 2 means this

enum GeneralHeader : int { kCacheControl, kConnection, kDate, kPragma, kTrailer, kTransferEncoding,
                           kUpgrade, kVia, kWarning, kGeneralHeaderCount };

enum RequestHeader : int { kAccept, kAcceptCharset, kAcceptEncoding, kAcceptLanguage, kAuthorization,
                           kExpect, kFrom, kHost, kIfMatch, kIfModifiedSince, kIfNoneMatch, kIfRange,
                           kIfUnmodifiedSince, kMaxForwards, kProxyAuthenticate, kRange, kReferer, kTE,
                           kUserAgent, kRequestHeaderCount };

enum EntityHeader : int { kAllow, kContentEncoding, kContentLanguage, kContentLength, kContentLocation,
                          kContentMD5, kContentRange, kContentType, kExpires, kLastModified, kEntityUnused,
                          kEntityHeaderCount };

// Declared by the caller, cleared to zero and filled; holds no pointers. A slot counts as
// set when its first character is not the terminator.
struct RequestRecord {
    int method;
    int targetForm;
    AddressRecord address;
    char general[kGeneralHeaderCount][kSlotSize];
    char request[kRequestHeaderCount][kSlotSize];
    char entity[kEntityHeaderCount][kSlotSize];
    char extra[kSlotSize];
};

// Clears the 5000-byte `out`, writes the request text and returns its length. Returns 0 and
// leaves `out` empty for an unknown method, for a request that would not fit, and for a host,
// target or header value holding a CR or LF, so no link can add lines of its own.
int BuildRequest(const RequestRecord& record, char (&out)[kRequestBufferSize]);

// Writes the request line alone into `out` (at most `size` bytes with its terminator) and
// returns its length; 0 for an unknown method or a line that does not fit.
int BuildRequestLine(const RequestRecord& record, char* out, int size);

// Fills a cleared record for one of the system's own GET requests for `address`:
// Connection close, Accept */*, Accept-Language, HOST without the port.
void PrepareGetRequest(const AddressRecord& address, RequestRecord* record);
