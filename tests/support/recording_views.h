// A view that records what the engine reports, for tests to read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SCANJOB;

// One transferEnded report.
struct TRANSFER {
    std::string address;
    int outcome;
    int64_t number;
    std::string detail;
};

struct RECORDING {
    std::vector<std::string> logLines;
    std::vector<SCANJOB*> rowsAdded;
    std::vector<SCANJOB*> rowsRemoved;
    std::vector<std::string> statusParts;  // "kind:text" or "kind:number"
    std::vector<std::string> titles;
    std::vector<std::string> jobStatusLines;
    int rowsRedrawn = 0;
    std::vector<TRANSFER> transfers;
    // The failures among the transfers.
    std::vector<TRANSFER> Failures() const;
};

// Installs the recording view with empty records; removed again by ResetViews().
void InstallRecordingViews();
// A copy of what was recorded so far (taken under the recorder's lock).
RECORDING Recorded();
