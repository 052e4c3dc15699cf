// The headless program's views: the activity log printed to standard output.
#pragma once

void InstallTerminalViews();
