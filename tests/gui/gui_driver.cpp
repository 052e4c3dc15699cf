// Drives a running Zorvel.exe from outside, the way a user would: types into the address
// box, presses buttons, switches pages, reads the title and the log, closes the window.
//
//   gui_driver scan ADDRESS FILES SECONDS [DEPTH]
//                                           type ADDRESS (key by key, through the window's own
//                                           message loop), choose DEPTH (0 to 3, default R-1),
//                                           press Scan it, wait until the title reads
//                                           "Zorvel 2.0 - FILES files" (FILES "-": do not wait);
//                                           prints the log, and to stderr the seconds from
//                                           Scan it to that title
//   gui_driver page N                       show page N (0 Search, 1 Download, 2 Bookmark)
//   gui_driver address                      print the address box's text
//   gui_driver log                          print the activity log
//   gui_driver wait-title TEXT SECONDS      wait until the title is TEXT
//   gui_driver search KEYWORD SECONDS       type KEYWORD, press Search, wait for the result
//   gui_driver options                      open the options dialog (returns once it shows)
//   gui_driver options-page N               choose page N in the dialog's page list
//   gui_driver options-cancel               press the dialog's Cancel
//   gui_driver close                        close the window and wait until it is gone
// Exit status 0 on success, 1 on a time-out or a missing window.
#include "resources/resource_ids.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<HWND> Children(HWND window, const char* className);

// The main window once it is shown with all its controls (it exists a moment before that).
HWND FindMain(int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        HWND window = FindWindowA("Zorvel", nullptr);
        if (window && IsWindowVisible(window) && Children(window, "Edit").size() == 3 &&
            Children(window, "msctls_statusbar32").size() == 1)
            return window;
        Sleep(100);
    }
    return nullptr;
}

struct ChildSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    char name[64];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, search->className) == 0) search->found.push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND window, const char* className)
{
    ChildSearch search{className, {}};
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Text(HWND window)
{
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// The edit controls in creation order: keyword box, address box, activity log.
HWND AddressBox(HWND main) { return Children(main, "Edit").at(1); }
HWND Log(HWND main) { return Children(main, "Edit").at(2); }

HWND VisibleButton(HWND main, const char* caption)
{
    for (HWND button : Children(main, "Button"))
        if (IsWindowVisible(button) && Text(button) == caption) return button;
    return nullptr;
}

// Types `text` into an empty `box` one character at a time, as the keyboard delivers it to
// the window's message loop, and waits until the box shows it.
bool Type(HWND box, const std::string& text)
{
    SetWindowTextA(box, "");
    for (char c : text) PostMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 1);
    for (int i = 0; i < 50; ++i) {
        if (Text(box) == text) return true;
        Sleep(100);
    }
    std::fprintf(stderr, "typed \"%s\", the box shows \"%s\"\n", text.c_str(), Text(box).c_str());
    return false;
}

bool WaitTitle(HWND main, const std::string& title, int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        if (Text(main) == title) return true;
        Sleep(100);
    }
    std::fprintf(stderr, "title is \"%s\", not \"%s\"\n", Text(main).c_str(), title.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    std::string verb = argv[1];
    HWND main = FindMain(30);
    if (main == nullptr) {
        std::fprintf(stderr, "no Zorvel window\n");
        return 1;
    }
    if (verb == "scan" && (argc == 5 || argc == 6)) {
        if (!Type(AddressBox(main), argv[2])) return 1;
        HWND scan = VisibleButton(main, "Scan it");
        if (scan == nullptr) return 1;
        // The combo boxes in creation order: engine, search format and depth, format, depth...
        SendMessageA(Children(main, "ComboBox").at(4), CB_SETCURSEL, argc == 6 ? std::atoi(argv[5]) : 1, 0);
        ULONGLONG start = GetTickCount64();
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(scan));
        bool ok = std::strcmp(argv[3], "-") == 0 ||
                  WaitTitle(main, std::string("Zorvel 2.0 - ") + argv[3] + " files", std::atoi(argv[4]));
        if (ok && std::strcmp(argv[3], "-") != 0)
            std::fprintf(stderr, "title after %.1f s\n", static_cast<double>(GetTickCount64() - start) / 1000);
        std::printf("%s\n", Text(Log(main)).c_str());
        return ok ? 0 : 1;
    }
    if (verb == "search" && argc == 4) {
        SetWindowTextA(Children(main, "Edit").at(0), argv[2]);
        HWND search = VisibleButton(main, "Search");
        if (search == nullptr) return 1;
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(search));
        for (int i = 0; i < std::atoi(argv[3]) * 10; ++i) {
            if (Text(Log(main)).find("Received Search Result") != std::string::npos) return 0;
            Sleep(100);
        }
        return 1;
    }
    if (verb == "options") {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
        for (int i = 0; i < 100; ++i) {
            HWND dialog = FindWindowA("#32770", "Zorvel Settings");
            if (dialog && IsWindowVisible(dialog)) return 0;
            Sleep(100);
        }
        return 1;
    }
    if ((verb == "options-page" && argc == 3) || verb == "options-cancel") {
        HWND dialog = FindWindowA("#32770", "Zorvel Settings");
        if (dialog == nullptr) return 1;
        if (verb == "options-cancel") {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return 0;
        }
        HWND pages = GetDlgItem(dialog, 1001);
        SendMessageA(pages, LB_SETCURSEL, std::atoi(argv[2]), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), reinterpret_cast<LPARAM>(pages));
        return 0;
    }
    if (verb == "page" && argc == 3) {
        const int commands[] = {IDM_VIEW_SEARCH, IDM_VIEW_DOWNLOAD, IDM_VIEW_BOOKMARK};
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(commands[std::atoi(argv[2]) % 3], 0), 0);
        return 0;
    }
    if (verb == "log") {
        std::printf("%s\n", Text(Log(main)).c_str());
        return 0;
    }
    if (verb == "address") {
        std::printf("%s\n", Text(AddressBox(main)).c_str());
        return 0;
    }
    if (verb == "wait-title" && argc == 4) return WaitTitle(main, argv[2], std::atoi(argv[3])) ? 0 : 1;
    if (verb == "close") {
        DWORD process = 0;
        GetWindowThreadProcessId(main, &process);
        HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
        PostMessageA(main, WM_CLOSE, 0, 0);
        bool gone = handle == nullptr || WaitForSingleObject(handle, 20000) == WAIT_OBJECT_0;
        return gone ? 0 : 1;
    }
    return 2;
}
