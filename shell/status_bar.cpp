#include "shell/status_bar.h"

#include "engine/log_entry.h"
#include "engine/rate.h"
#include "engine/size_text.h"
#include "platform/clock.h"
#include "settings/settings.h"
#include "shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

namespace {

RATESAMPLE gRate;

void SetPart(int part, const char* text, int drawing = 0)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    SendMessageA(gMain.statusBar, SB_SETTEXTA, static_cast<WPARAM>(part | drawing), reinterpret_cast<LPARAM>(buffer));
}

}  // namespace

void SetUpStatusBar()
{
    int edges[6] = {100, 180, 260, 340, 420, -1};
    SendMessageA(gMain.statusBar, SB_SETPARTS, 6, reinterpret_cast<LPARAM>(edges));
    SetPart(0, "Ready", SBT_NOBORDERS);
    ShowDownloadFolder();
    const char* tips[6] = {"Show status", "found sites", "left sites", "download files", "total download file sizes",
                           "download folder"};
    for (int part = 0; part < 6; ++part)
        SendMessageA(gMain.statusBar, SB_SETTIPTEXTA, part, reinterpret_cast<LPARAM>(tips[part]));
    gRate = RATESAMPLE{};
    for (int kind = 1; kind <= 3; ++kind) SetStatusPartText(kind, nullptr, 0);
}

void ShowDownloadFolder()
{
    SetPart(5, gSettings.szDownloadFolder, SBT_POPOUT);
}

void SetStatusPartText(int kind, const char* text, int64_t number)
{
    SetStatusPartText(kind, text, number, ClockNow());
}

void SetStatusPartText(int kind, const char* text, int64_t number, int64_t when)
{
    char buffer[256];
    switch (kind) {
    case 0: SetPart(0, text, SBT_NOBORDERS); break;
    case 1:
        std::snprintf(buffer, sizeof buffer, "%d Thrds", static_cast<int>(number));
        SetPart(1, buffer);
        break;
    case 2:
        std::snprintf(buffer, sizeof buffer, "%d files", static_cast<int>(number));
        SetPart(2, buffer);
        break;
    case 3: {
        char size[kSizeTextSize];
        SetPart(3, SizeText(number, size));
        int64_t rate = 0;
        if (UpdateRate(gRate, when, number, &rate)) {
            std::snprintf(buffer, sizeof buffer, "%s/sec", SizeText(rate, size));
            SetPart(4, buffer);
        }
        break;
    }
    default: break;
    }
}

void AppendLogEntry(const char* message)
{
    AppendLogEntry(message, ClockNow());
}

void AppendLogEntry(const char* message, int64_t when)
{
    char entry[kLogEntrySize];
    FormatLogEntry(message, when, entry);
    // Select all, read the end, put the caret there, insert: one step on this thread.
    SendMessageA(gMain.log, EM_SETSEL, 0, -1);
    DWORD end = 0;
    SendMessageA(gMain.log, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessageA(gMain.log, EM_SETSEL, end, end);
    SendMessageA(gMain.log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(entry));
}

void LogLimitReached()
{
    LRESULT limit = SendMessageA(gMain.log, EM_GETLIMITTEXT, 0, 0);
    SendMessageA(gMain.log, EM_SETLIMITTEXT, static_cast<WPARAM>(limit + 32768), 0);
}

// The log is read-only, which makes it ignore WM_CLEAR: the oldest text is replaced by nothing.
void LogOutOfSpace()
{
    SendMessageA(gMain.log, EM_SETSEL, 0, 32768);
    SendMessageA(gMain.log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void CheckNetwork()
{
    // IsNetworkAlive lives in sensapi.dll; without it the network counts as alive.
    using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);
    static IsNetworkAliveFn isAlive = [] {
        HMODULE sens = LoadLibraryA("sensapi.dll");
        return sens ? reinterpret_cast<IsNetworkAliveFn>(reinterpret_cast<void*>(GetProcAddress(sens, "IsNetworkAlive")))
                    : nullptr;
    }();
    DWORD flags = 0;
    int alive = isAlive == nullptr || isAlive(&flags) ? 1 : 0;
    if (alive == gMain.networkState) return;
    gMain.networkState = alive;
    RedrawOwnerButton(gMain.networkButton);
    AppendLog(alive ? "Recovered network connection.." : "Lost network connection..check it please");
}

void StatusBarDoubleClick(POINT point)
{
    RECT part;
    SendMessageA(gMain.statusBar, SB_GETRECT, 5, reinterpret_cast<LPARAM>(&part));
    if (point.x > part.left && point.x < part.right && point.y > part.top && point.y < part.bottom)
        ShellExecuteA(nullptr, "open", gSettings.szDownloadFolder, nullptr, nullptr, SW_SHOWNORMAL);
}
