// The options dialog (resource 149).
#pragma once

#include <windows.h>

// The page the dialog opens on: 0 the general options, 1 About.
extern int gOptionsPage;

// Runs the dialog modally, owned by `owner`.
void OpenOptionsDialog(HWND owner);
