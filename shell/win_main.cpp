// Zorvel.exe: the window program.
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "shell/message_loop.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int show)
{
    LoadStringA(instance, IDS_APP_TITLE, gMain.title, sizeof gMain.title);
    LoadStringA(instance, IDS_WINDOW_CLASS, gMain.className, sizeof gMain.className);
    EnsureSingleInstance(commandTail);
    StartUp(instance, commandTail);
    if (!CreateMainWindow(show)) return 0;
    return RunMessageLoop(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAIN)));
}
