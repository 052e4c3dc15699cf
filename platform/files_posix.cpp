#include "platform/files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#if !defined(RENAME_NOREPLACE)
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

// Through syscall(): older C libraries have no renameat2 wrapper although the kernel has the call.
int RenameNoReplace(const char* from, const char* to)
{
#if defined(SYS_renameat2)
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
    (void)from;
    (void)to;
    errno = ENOSYS;
    return -1;
#endif
}

int Link(const char* from, const char* to) { return link(from, to); }
int Unlink(const char* path) { return unlink(path); }

constexpr PUBLISHCALLS kSystemCalls = {RenameNoReplace, Link, Unlink};
std::atomic<const PUBLISHCALLS*> gPublishCalls{&kSystemCalls};

void ErrorText(int code, char (&why)[kFileErrorSize])
{
    if (code == EEXIST) {
        std::snprintf(why, sizeof why, "a file of that name exists");
        return;
    }
    char buffer[kFileErrorSize];
    // The GNU strerror_r returns its text; the POSIX one fills the buffer.
    auto text = [&](auto result) -> const char* {
        if constexpr (std::is_same_v<decltype(result), char*>) return result;
        return result == 0 ? buffer : "unknown error";
    };
    std::snprintf(why, sizeof why, "%s", text(strerror_r(code, buffer, sizeof buffer)));
}

// No atomic no-replace rename and no hard link here: claim the name with an exclusive create,
// then rename the complete file over the claim, checked to be still our own empty file.
bool PublishOverClaim(const char* from, const char* to, char (&why)[kFileErrorSize])
{
    int claim = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (claim < 0) {
        ErrorText(errno, why);
        return false;
    }
    struct stat mine, now;
    bool ours = fstat(claim, &mine) == 0 && stat(to, &now) == 0 && now.st_dev == mine.st_dev &&
                now.st_ino == mine.st_ino && now.st_size == 0;
    bool moved = ours && rename(from, to) == 0;
    int error = errno;
    if (!moved && ours) unlink(to);
    close(claim);
    if (!moved) ErrorText(ours ? error : EEXIST, why);
    return moved;
}

}  // namespace

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

void LastFileError(char (&why)[kFileErrorSize])
{
    ErrorText(errno, why);
}

void SetPublishCallsForTest(const PUBLISHCALLS* calls)
{
    gPublishCalls.store(calls ? calls : &kSystemCalls);
}

bool PublishNoClobber(const char* from, const char* to, char (&why)[kFileErrorSize])
{
    const PUBLISHCALLS& calls = *gPublishCalls.load();
    if (calls.renameNoReplace(from, to) == 0) return true;
    int error = errno;
    // EINVAL and the like: this file system or kernel does not offer the flag.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP && error != ENOTSUP) {
        ErrorText(error, why);
        return false;
    }
    if (calls.link(from, to) == 0) {
        if (calls.unlink(from) == 0) return true;
        // `to` is our own second name of the file: take it back, so `from` alone remains.
        error = errno;
        calls.unlink(to);
        ErrorText(error, why);
        return false;
    }
    if (errno == EEXIST || errno == ENOENT || errno == ENOSPC || errno == EROFS || errno == EACCES) {
        ErrorText(errno, why);
        return false;
    }
    return PublishOverClaim(from, to, why);
}

std::vector<std::string> FolderEntryNames(const char* folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder);
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

bool IsZorvelProcessRunning(int pid)
{
    if (pid <= 0) return false;
    if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
    // "<pid> (<name>) <state> ...": the name may hold blanks and parentheses, so it ends at
    // the last ")". A zombie has ended already.
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) return true;
    char stat[512] = {};
    size_t length = std::fread(stat, 1, sizeof stat - 1, file);
    std::fclose(file);
    stat[length] = '\0';
    const char* open = std::strchr(stat, '(');
    const char* close = std::strrchr(stat, ')');
    if (open == nullptr || close == nullptr || close < open || close[1] != ' ') return true;
    if (close[2] == 'Z' || close[2] == 'X') return false;
    return close - open - 1 >= 6 && strncasecmp(open + 1, "zorvel", 6) == 0;
}

int CurrentProcessId()
{
    return static_cast<int>(getpid());
}

bool RenameReplacing(const char* from, const char* to)
{
    return rename(from, to) == 0;
}
