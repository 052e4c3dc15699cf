// The dialog itself arrives with the options work; the commands that open it are wired now.
#include "settings/options_dialog_window.h"

int gOptionsPage = 0;

void OpenOptionsDialog(HWND) {}
