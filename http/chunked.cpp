#include "http/chunked.h"

namespace {

enum State { kSize, kExtension, kSizeLf, kData, kDataCr, kDataLf, kTrailerStart, kTrailerLine, kEndLf };

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int FeedChunked(CHUNKDECODER& d, const char* in, int count, char* out, int* outCount, int* used)
{
    *outCount = 0;
    int i = 0;
    auto done = [&](int result) {
        *used = i;
        return result;
    };
    while (i < count) {
        char c = in[i];
        switch (d.state) {
        case kSize:
            if (HexValue(c) >= 0) {
                // Sixteen hex digits would pass any size a body can have.
                if (++d.digits > 15) return done(kChunkedError);
                d.remaining = d.remaining * 16 + HexValue(c);
            } else if (d.digits == 0) {
                return done(kChunkedError);
            } else if (c == ';' || c == ' ' || c == '\t') {
                d.state = kExtension;
            } else if (c == '\r') {
                d.state = kSizeLf;
            } else if (c == '\n') {
                d.state = d.remaining == 0 ? kTrailerStart : kData;
            } else {
                return done(kChunkedError);
            }
            ++i;
            break;
        case kExtension:
            if (c == '\n') d.state = d.remaining == 0 ? kTrailerStart : kData;
            ++i;
            break;
        case kSizeLf:
            if (c != '\n') return done(kChunkedError);
            d.state = d.remaining == 0 ? kTrailerStart : kData;
            ++i;
            break;
        case kData: {
            int take = count - i;
            if (take > d.remaining) take = static_cast<int>(d.remaining);
            for (int k = 0; k < take; ++k) out[(*outCount)++] = in[i + k];
            i += take;
            d.remaining -= take;
            if (d.remaining == 0) d.state = kDataCr;
            break;
        }
        case kDataCr:
            if (c == '\r') {
                d.state = kDataLf;
            } else if (c == '\n') {
                d.state = kSize;
                d.digits = 0;
            } else {
                return done(kChunkedError);
            }
            ++i;
            break;
        case kDataLf:
            if (c != '\n') return done(kChunkedError);
            d.state = kSize;
            d.digits = 0;
            ++i;
            break;
        case kTrailerStart:
            // An empty line ends the body; any other line is a trailer field, skipped.
            ++i;
            if (c == '\r') {
                d.state = kEndLf;
            } else if (c == '\n') {
                return done(kChunkedDone);
            } else {
                d.state = kTrailerLine;
            }
            break;
        case kTrailerLine:
            ++i;
            if (c == '\n') d.state = kTrailerStart;
            break;
        case kEndLf:
            ++i;
            if (c != '\n') return done(kChunkedError);
            return done(kChunkedDone);
        default:
            return done(kChunkedError);
        }
    }
    return done(kChunkedMore);
}
