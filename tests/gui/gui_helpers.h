// Reading the window's controls back in the window tests.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// A list cell's text as the list produces it (asking the window for it).
inline std::string Cell(HWND list, int row, int column)
{
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Handles every message waiting for this thread's windows.
inline void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Handles the window's messages until `done` holds, for at most `ms` milliseconds (reports made
// on other threads reach the controls at the window's own pace). Returns `done()`.
template <typename Done>
bool PumpUntil(Done done, int ms = 3000)
{
    for (int waited = 0; !done() && waited < ms; waited += 5) {
        Pump();
        Sleep(5);
    }
    Pump();
    return done();
}

inline std::string Text(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Finds the options dialog once it is shown (it exists, hidden, before its pages are made).
inline HWND WaitForDialog()
{
    for (int i = 0; i < 200; ++i) {
        HWND dialog = FindWindowA("#32770", "Zorvel Settings");
        if (dialog && IsWindowVisible(dialog)) return dialog;
        Sleep(20);
    }
    return nullptr;
}

inline void CancelDialog(HWND dialog)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}
