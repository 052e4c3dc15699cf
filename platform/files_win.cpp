#include "platform/files.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

bool PathExists(const char* path)
{
    return PathFileExistsA(path) != FALSE;
}

bool GetCurrentDir(char* out, size_t size)
{
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
    return length != 0 && length < size;
}

bool SetCurrentDir(const char* path)
{
    return SetCurrentDirectoryA(path) != FALSE;
}

int64_t FreeBytesAvailable(const char* path)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) return -1;
    return static_cast<int64_t>(available.QuadPart);
}

PlatformFile CreateNewFile(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return PlatformFile{h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h)};
}

bool WriteAll(PlatformFile file, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file.handle), bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool FlushFile(PlatformFile file)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(file.handle)) != FALSE;
}

bool CloseFile(PlatformFile& file)
{
    if (!IsOpen(file)) return true;
    BOOL result = CloseHandle(reinterpret_cast<HANDLE>(file.handle));
    file.handle = -1;
    return result != FALSE;
}

bool DeletePath(const char* path)
{
    return DeleteFileA(path) != FALSE;
}

bool PublishNoClobber(const char* from, const char* to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
    return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != FALSE;
}

int CurrentProcessId()
{
    return static_cast<int>(GetCurrentProcessId());
}

bool RenameReplacing(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
