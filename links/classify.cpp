#include "links/classify.h"

#include <cstring>

namespace {

// Extensions per class, lower case. "Any" is the union of the four lists.
const char* const kImage[] = {"jpg", "jpe", "bmp", "pcx", "gif", "dib", "png", "psd", "psp", "raw", "tif", nullptr};
const char* const kAudio[] = {"mp3", "wav", "ra", "wma", "cda", "mid", "mp2", "rmi", "rol", "dsf", "swa", "voc", nullptr};
const char* const kVideo[] = {"avi", "mpg", "mpeg", "wmv", "asf", "asx", "rm", "dat", "mov", nullptr};
const char* const kDocument[] = {"doc", "ppt", "xls", "pdf", "txt", "hwp", "gul", "pm4", "pps", "rtf", nullptr};
const char* const* const kClasses[] = {kImage, kAudio, kVideo, kDocument};

const char* const kPageExtensions[] = {"html", "htm", "php", "cgi", "asp", "jsp", nullptr};

const char* const kFormatNames[] = {"Image", "Audio", "Video", "Document", "Any"};

bool InList(const char* const* list, const char* extension)
{
    for (; *list != nullptr; ++list)
        if (std::strcmp(*list, extension) == 0) return true;
    return false;
}

}  // namespace

const char* FormatName(int format)
{
    return format >= 0 && format < kFormatCount ? kFormatNames[format] : "";
}

int IsPageAddress(const AddressRecord& address, char (&extension)[kExtensionSize])
{
    std::memset(extension, 0, sizeof extension);
    if (address.query[0] != '\0' || address.path[0] == '\0') return 1;
    const char* dot = std::strrchr(address.path, '.');
    if (dot == nullptr || std::strlen(dot) > 5) return 1;
    std::strcpy(extension, dot + 1);
    if (InList(kPageExtensions, extension)) return 1;
    if (std::strchr(extension, '/') != nullptr) return 1;  // the dot was in a folder name
    return 0;
}

int IsFormatExtension(int format, const char* extension)
{
    if (format >= 0 && format < kFormatAny) return InList(kClasses[format], extension) ? 1 : 0;
    if (format == kFormatAny) {
        for (const char* const* list : kClasses)
            if (InList(list, extension)) return 1;
    }
    return 0;
}
