#include "http/file_name.h"

#include "platform/files.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

bool IsUnsafe(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The digit of COMn and LPTn: 0 to 9, or a superscript one, two or three, as one byte of the
// usual Windows 8-bit code pages (B9, B2, B3) or as its two UTF-8 bytes.
bool IsPortDigit(const char* digit, size_t length)
{
    auto superscript = [](unsigned char c) { return c == 0xB9 || c == 0xB2 || c == 0xB3; };
    const auto* d = reinterpret_cast<const unsigned char*>(digit);
    if (length == 1) return (d[0] >= '0' && d[0] <= '9') || superscript(d[0]);
    return length == 2 && d[0] == 0xC2 && superscript(d[1]);
}

// A name that Windows takes for a device whatever follows: the part before the first dot,
// without its trailing blanks, is a device name in any letter case.
bool IsDeviceName(const char* name)
{
    size_t stem = std::strcspn(name, ".");
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    char upper[8] = {};
    if (stem < 3 || stem >= sizeof upper) return false;
    for (size_t i = 0; i < stem; ++i) upper[i] = Upper(name[i]);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (std::strcmp(upper, device) == 0) return true;
    return (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) &&
           IsPortDigit(upper + 3, stem - 3);
}

}  // namespace

void MakeFileName(const char* host, const char* path, char (&name)[kFileNameSize])
{
    size_t length = 0;
    for (const char* part : {host, path}) {
        for (; *part != '\0' && length < kFileNameSize - 1; ++part) {
            char c = *part;
            name[length++] = c == '/' ? '+' : IsUnsafe(static_cast<unsigned char>(c)) ? '_' : c;
        }
    }
    name[length] = '\0';

    if (IsDeviceName(name)) {
        size_t kept = length < kFileNameSize - 2 ? length : kFileNameSize - 2;
        std::memmove(name + 1, name, kept);
        name[0] = '_';
        length = kept + 1;
        name[length] = '\0';
    }
    // Last, since the device fix may cut the name just after a dot or a blank.
    if (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) name[length - 1] = '_';
}

bool SameFileName(const char* a, const char* b)
{
    if (!kFileNamesIgnoreCase) return std::strcmp(a, b) == 0;
    for (; *a != '\0' && Lower(*a) == Lower(*b); ++a, ++b) {
    }
    return Lower(*a) == Lower(*b);
}

bool MakeFullPath(const char* folder, const char* name, char* path, size_t size)
{
    size_t folderLength = std::strlen(folder);
    bool hasSeparator = folderLength > 0 && (folder[folderLength - 1] == kPathSeparator || folder[folderLength - 1] == '/');
    int length = hasSeparator ? std::snprintf(path, size, "%s%s", folder, name)
                              : std::snprintf(path, size, "%s%c%s", folder, kPathSeparator, name);
    return length > 0 && static_cast<size_t>(length) < size;
}
