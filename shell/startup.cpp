#include "shell/startup.h"

#include "bookmarks/bookmark_list_window.h"
#include "engine/log_entry.h"
#include "engine/pool.h"
#include "engine/scheduler.h"
#include "http/file_download.h"
#include "platform/net.h"
#include "platform/process.h"
#include "search/search.h"
#include "settings/settings.h"
#include "shell/main_window.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr ULONG_PTR kHandOverTag = 13898;

// Start-up failures come before any engine thread runs, so the ordinary exit is safe here.
[[noreturn]] void Fail(const char* message)
{
    MessageBoxA(nullptr, message, "Error", MB_OK);
    std::exit(0);
}

}  // namespace

void EnsureSingleInstance(const char* commandTail)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "KVT_Zorvel_INSTANCE2005");
    if (mutex == nullptr) Fail("Can't CreateMutex !! Check your Windows system");
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    if (commandTail[0] == '\0') std::exit(0);
    HWND running = FindWindowA(gMain.className, nullptr);
    if (running == nullptr) Fail("Can't send WM_COPYDATA !! Check your Windows system");
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(std::strlen(commandTail));
    data.lpData = const_cast<char*>(commandTail);
    SendMessageA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    std::exit(0);
}

void StartUp(HINSTANCE instance, const char* commandTail)
{
    InitMainWindowState(instance);
    InitCommonControls();
    gMain.networkState = StartNetworking();
    if (commandTail[0] != '\0') std::snprintf(gMain.pendingAddress, sizeof gMain.pendingAddress, "%s", commandTail);

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillheath\\Zorvel", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        Fail("Can't open Registry key. ReInstall please.");
    bool pathFound = false;
    for (DWORD index = 0;; ++index) {
        char name[20];
        BYTE data[257] = {};
        DWORD nameLength = sizeof name;
        DWORD dataLength = sizeof data - 1;
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        const char* text = reinterpret_cast<const char*>(data);
        // Optional: the web-search hosts, for a site that mirrors or stands in for a service.
        if (std::strcmp(name, "googleHost") == 0) std::snprintf(gSearchHosts[0], sizeof gSearchHosts[0], "%s", text);
        if (std::strcmp(name, "yahooHost") == 0) std::snprintf(gSearchHosts[1], sizeof gSearchHosts[1], "%s", text);
        if (std::strcmp(name, "path") != 0 || pathFound) continue;
        pathFound = true;
        if (!SetCurrentDirectoryA(text)) Fail("Can't Set Current Directory. ReInstall please.");
    }
    RegCloseKey(key);

    LoadSettings();
    // Temporary files of runs that ended mid-transfer; this run has none yet.
    char folder[kFolderSize];
    GetDownloadFolder(folder);
    SweepLeftoverParts(folder, true);
    StartPool();
    StartScheduler();
}

LRESULT AcceptHandOver(const COPYDATASTRUCT* data)
{
    if (data == nullptr || data->dwData != kHandOverTag) return 0;
    DWORD length = data->cbData < 255 ? data->cbData : 255;
    std::memcpy(gMain.pendingAddress, data->lpData, length);
    gMain.pendingAddress[length] = '\0';
    SetWindowTextA(gMain.addressBox, gMain.pendingAddress);
    ShowPage(kPageDownload);
    ShowWindow(gMain.window, SW_SHOWNORMAL);
    SetForegroundWindow(gMain.window);
    return 0;
}

void Shutdown()
{
    AppendLog("Terminating...Wait some moment");
    DeleteDC(gMain.skin);
    SaveBookmarkList();
    PostQuitMessage(0);
    StopNetworking();
    EndProcess(0);
}
