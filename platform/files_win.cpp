#include "platform/files.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The path for the wide-character calls. One that reaches MAX_PATH gets the extended-length
// prefix: a temporary name beside a final path of 255 characters may pass that limit.
bool WidePath(const char* path, std::wstring* out)
{
    int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) return false;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    if (wide.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) {
        *out = std::move(wide);
        return true;
    }
    DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullLength == 0) return false;
    std::wstring full(fullLength, L'\0');
    fullLength = GetFullPathNameW(wide.c_str(), fullLength, full.data(), nullptr);
    if (fullLength == 0 || fullLength >= full.size()) return false;
    full.resize(fullLength);
    if (full.rfind(L"\\\\", 0) == 0)
        *out = L"\\\\?\\UNC\\" + full.substr(2);
    else
        *out = L"\\\\?\\" + full;
    return true;
}

void ErrorText(DWORD code, char (&why)[kFileErrorSize])
{
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
        std::snprintf(why, sizeof why, "a file of that name exists");
        return;
    }
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, why,
                                  sizeof why, nullptr);
    while (length > 0 && (why[length - 1] == '\r' || why[length - 1] == '\n' || why[length - 1] == '.')) --length;
    if (length == 0)
        std::snprintf(why, sizeof why, "error %lu", static_cast<unsigned long>(code));
    else
        why[length] = '\0';
}

}  // namespace

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
    std::wstring wide;
    if (!WidePath(path, &wide)) return PlatformFile{};
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    std::wstring wide;
    return WidePath(path, &wide) && DeleteFileW(wide.c_str()) != FALSE;
}

void LastFileError(char (&why)[kFileErrorSize])
{
    ErrorText(GetLastError(), why);
}

bool PublishNoClobber(const char* from, const char* to, char (&why)[kFileErrorSize])
{
    std::wstring wideFrom, wideTo;
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists, on every file system.
    if (WidePath(from, &wideFrom) && WidePath(to, &wideTo) &&
        MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    ErrorText(GetLastError(), why);
    return false;
}

std::vector<std::string> FolderEntryNames(const char* folder)
{
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool IsZorvelProcessRunning(int pid)
{
    if (pid <= 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
    DWORD exitCode = 0;
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    bool known = GetExitCodeProcess(process, &exitCode) && QueryFullProcessImageNameA(process, 0, image, &size);
    CloseHandle(process);
    if (!known) return true;
    if (exitCode != STILL_ACTIVE) return false;
    const char* base = std::strrchr(image, '\\');
    base = base ? base + 1 : image;
    return _strnicmp(base, "zorvel", 6) == 0;
}

int CurrentProcessId()
{
    return static_cast<int>(GetCurrentProcessId());
}

bool RenameReplacing(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
