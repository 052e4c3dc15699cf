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

// Device names that Windows reserves whatever extension follows them.
bool IsDeviceName(const char* name, size_t length)
{
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    char stem[5] = {};
    if (length < 3 || length > 4) return false;
    for (size_t i = 0; i < length; ++i) stem[i] = Upper(name[i]);
    if (length == 3) {
        for (const char* device : kDevices)
            if (std::strcmp(stem, device) == 0) return true;
        return false;
    }
    return (std::strncmp(stem, "COM", 3) == 0 || std::strncmp(stem, "LPT", 3) == 0) && stem[3] >= '0' &&
           stem[3] <= '9';
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

    if (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) name[length - 1] = '_';

    const char* dot = std::strchr(name, '.');
    size_t stem = dot ? static_cast<size_t>(dot - name) : length;
    if (IsDeviceName(name, stem)) {
        size_t kept = length < kFileNameSize - 2 ? length : kFileNameSize - 2;
        std::memmove(name + 1, name, kept);
        name[0] = '_';
        name[kept + 1] = '\0';
    }
}

bool MakeFullPath(const char* folder, const char* name, char (&path)[kFullPathSize])
{
    size_t folderLength = std::strlen(folder);
    bool hasSeparator = folderLength > 0 && (folder[folderLength - 1] == kPathSeparator || folder[folderLength - 1] == '/');
    int length = hasSeparator ? std::snprintf(path, sizeof path, "%s%s", folder, name)
                              : std::snprintf(path, sizeof path, "%s%c%s", folder, kPathSeparator, name);
    return length > 0 && length < static_cast<int>(sizeof path);
}
