#include "shell/message_loop.h"

namespace {

// Keystrokes are delivered to the window that has the focus, so a keystroke for an edit box
// means that the edit box has the focus.
bool IsEditBox(HWND window)
{
    char name[16] = {};
    return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, "Edit") == 0;
}

}  // namespace

void HandleLoopMessage(HACCEL accelerators, MSG* message)
{
    if (!IsEditBox(message->hwnd) && TranslateAcceleratorA(message->hwnd, accelerators, message)) return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

int RunMessageLoop(HACCEL accelerators)
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) HandleLoopMessage(accelerators, &message);
    return static_cast<int>(message.wParam);
}
