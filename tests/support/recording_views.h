// A view that records what the engine reports, for tests to read back.
#pragma once

#include <string>
#include <vector>

struct SCANJOB;

struct RECORDING {
    std::vector<std::string> logLines;
    std::vector<SCANJOB*> rowsAdded;
    std::vector<SCANJOB*> rowsRemoved;
    std::vector<std::string> statusParts;  // "kind:text" or "kind:number"
    std::vector<std::string> titles;
    std::vector<std::string> jobStatusLines;
    int rowsRedrawn = 0;
};

// Installs the recording view with empty records; removed again by ResetViews().
void InstallRecordingViews();
// A copy of what was recorded so far (taken under the recorder's lock).
RECORDING Recorded();
