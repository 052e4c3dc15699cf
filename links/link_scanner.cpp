#include "links/link_scanner.h"

#include "links/classify.h"

#include <cstring>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDelimiter(char c)
{
    return c == '\'' || c == '"' || c == '\t' || c == '\n' || c == ' ';
}

// True when a src value names an image file: up to three characters after its last dot,
// in lower case, are an Image extension (so a.jpeg and PIC.JPG count).
bool IsImageSource(const char* value)
{
    const char* dot = std::strrchr(value, '.');
    if (dot == nullptr) return false;
    char extension[4] = {};
    for (int i = 0; i < 3 && dot[1 + i] != '\0'; ++i) extension[i] = Lower(dot[1 + i]);
    return IsFormatExtension(kFormatImage, extension) != 0;
}

}  // namespace

int CopyAttributeValue(const char* text, char (&value)[kLinkValueSize])
{
    int n = 0;
    while (n < kLinkValueSize - 1 && text[n] != '\0' && text[n] != '>') {
        value[n] = text[n];
        ++n;
    }
    value[n] = '\0';
    return n;
}

int CleanLinkValue(char (&value)[kLinkValueSize])
{
    const char* start = value;
    while (*start != '\0' && IsDelimiter(*start)) ++start;
    if (*start == '\0') {
        value[0] = '\0';
        return 0;
    }
    size_t length = 0;
    while (start[length] != '\0' && !IsDelimiter(start[length])) ++length;
    std::memmove(value, start, length);
    value[length] = '\0';

    // A redirector such as /go?u=http://h/x leads to its inner address (the first one, of
    // either scheme).
    const char* inner = std::strstr(value + 1, "http://");
    const char* secure = std::strstr(value + 1, "https://");
    if (secure != nullptr && (inner == nullptr || secure < inner)) inner = secure;
    if (inner != nullptr) std::memmove(value, inner, std::strlen(inner) + 1);

    if (std::strstr(value, "javascript:") != nullptr || std::strstr(value, "mailto:") != nullptr) return 0;
    return 1;
}

int NextLink(int imageSrc, const char* text, char (&value)[kLinkValueSize], int* depthStep)
{
    *depthStep = 1;
    bool inTag = false;
    int href = 0;  // progress through "href": 0 to 4
    int src = 0;   // progress through "src": 0 to 3

    for (int i = 0;; ++i) {
        char c = Lower(text[i]);
        switch (c) {
        case '\0': return 0;
        case '<': inTag = true; break;
        case '>': inTag = false; break;
        case '\t':
        case '\n':
        case ' ':
            // A complete name survives blanks before the "=".
            if (href < 4) href = 0;
            if (src < 3) src = 0;
            break;
        case 'h':
            if (inTag && href == 0) href = 1;
            else href = src = 0;
            break;
        case 'r':
            href = href == 1 ? 2 : 0;
            src = src == 1 ? 2 : 0;
            break;
        case 'e':
            if (href == 2) href = 3;
            else href = src = 0;
            break;
        case 'f':
            if (href == 3) href = 4;
            else href = src = 0;
            break;
        case 's':
            if (inTag && src == 0) src = 1;
            else href = src = 0;
            break;
        case 'c':
            if (src == 2) src = 3;
            else href = src = 0;
            break;
        case '=': {
            if (href != 4 && src != 3) {
                href = src = 0;
                break;
            }
            int n = CopyAttributeValue(text + i + 1, value);
            int end = i + n;  // the last character taken into the value
            if (CleanLinkValue(value)) {
                if (href == 4) return end;
                if (!IsImageSource(value)) {
                    *depthStep = 0;
                    return end;
                }
                if (imageSrc) return end;
            }
            // Unusable, or an unwanted image source: go on from the value's last character,
            // which is examined again.
            href = src = 0;
            i = end - 1;
            break;
        }
        default: href = src = 0; break;
        }
    }
}
