#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

bool PathExists(const char* path)
{
    struct stat info;
    return path[0] != '\0' && stat(path, &info) == 0;
}

bool GetCurrentDir(char* out, size_t size)
{
    return getcwd(out, size) != nullptr;
}

bool SetCurrentDir(const char* path)
{
    return chdir(path) == 0;
}

int64_t FreeBytesAvailable(const char* path)
{
    struct statvfs info;
    if (statvfs(path, &info) != 0) return -1;
    return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}

PlatformFile CreateNewFile(const char* path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return PlatformFile{fd < 0 ? -1 : static_cast<intptr_t>(fd)};
}

bool WriteAll(PlatformFile file, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(static_cast<int>(file.handle), bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool FlushFile(PlatformFile file)
{
    return fsync(static_cast<int>(file.handle)) == 0;
}

bool CloseFile(PlatformFile& file)
{
    if (!IsOpen(file)) return true;
    int result = close(static_cast<int>(file.handle));
    file.handle = -1;
    return result == 0;
}

bool DeletePath(const char* path)
{
    return unlink(path) == 0;
}

bool PublishNoClobber(const char* from, const char* to)
{
    // link() fails with EEXIST instead of replacing, which rename() would do.
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

int CurrentProcessId()
{
    return static_cast<int>(getpid());
}

bool RenameReplacing(const char* from, const char* to)
{
    return rename(from, to) == 0;
}
