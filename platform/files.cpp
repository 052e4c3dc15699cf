#include "platform/files.h"

#include <cstdio>

bool TempPathFor(const char* path, char* out, size_t size)
{
    int length = std::snprintf(out, size, "%s.%d.tmp", path, CurrentProcessId());
    return length > 0 && static_cast<size_t>(length) < size;
}

bool ReplaceFileContents(const char* path, const void* data, size_t size)
{
    char temp[4096];
    if (!TempPathFor(path, temp, sizeof temp)) return false;
    DeletePath(temp);  // a leftover of an earlier crash with the same process id
    PlatformFile file = CreateNewFile(temp);
    if (!IsOpen(file)) return false;
    bool ok = WriteAll(file, data, size) && FlushFile(file);
    ok = CloseFile(file) && ok;
    if (ok && RenameReplacing(temp, path)) return true;
    DeletePath(temp);
    return false;
}
