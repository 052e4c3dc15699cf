// The one seam through which the engine, the HTTP client and the search report to
// whatever shows them: the window, the terminal, or a test's recorder.
//
// Every member has a do-nothing default, so a report made before a view exists (the
// engine threads start before the window) has no effect. Never call a view while
// holding the engine lock.
#pragma once

#include <cstdint>

struct SCANJOB;
struct DOWNLOADITEM;
struct SEARCHRESULT;

// How one transfer ended: a page fetched or a file saved, or why it failed. Failures are
// numbered from kNameNotResolved on.
enum TransferOutcome : int {
    kPageFetched = 0,  // number: the page's bytes
    kFileSaved,        // number: the file's bytes; detail: the saved file's name
    kNameNotResolved,  // number: the resolver's error code
    kConnectionRefused,
    kConnectionTimedOut,
    kNetworkUnreachable,
    kConnectionFailed,  // number: the system's error code
    kCertificateUntrusted,
    kCertificateNameMismatch,
    kTlsHandshakeFailed,
    kNoResponse,       // the connection closed, or no head came within the receive timeout
    kHttpStatus,       // number: the status; detail: the status line's text, e.g. "404 Not Found"
    kRedirectRefused,  // number: the status; detail: why
    kEmptyPage,
    kRequestRefused,   // the address cannot be put into a request (too long, or CR, LF or NUL)
    kBelowMinimumSize,  // number: the announced bytes
    kNoLength,          // no usable Content-Length
    kDiskError,         // detail: the system's words
    kTransferFailed,    // more bytes than announced, or a write that failed
    kTransferBroken,    // cut short, and the one resume did not complete it
    kTransferOutcomeCount
};
// Or'ed into the outcome when a job's start page could not be fetched; the address is then
// the job's own.
inline constexpr int kStartPageFailed = 0x100;

struct VIEWS {
    // One activity-log message, without time stamp; the view formats the entry.
    void (*appendLog)(const char* message);
    // Status-bar part `kind`: 0 takes `text`, 1 to 3 take `number`.
    void (*setStatusPart)(int kind, const char* text, int64_t number);
    void (*setTitle)(const char* title);
    void (*jobRowAdded)(SCANJOB* job);
    // Called only while the job cannot be removed (see ARCHITECTURE.md, Threads).
    void (*jobRowRedrawn)(SCANJOB* job);
    // Called before the record is released.
    void (*jobRowRemoved)(SCANJOB* job);
    // Every row of the job list shows its job's current values. Needs no job reference, so
    // it is safe however the table changes meanwhile.
    void (*jobListRedrawn)();
    // A transfer has begun: a row for the item at the end of the downloads list.
    void (*downloadItemAdded)(DOWNLOADITEM* item);
    // Every row of the downloads list shows its item's current values.
    void (*downloadListRedrawn)();
    // The transfer has ended; called before the item is released.
    void (*downloadItemRemoved)(DOWNLOADITEM* item);
    // The job list's status line: the number of jobs per state.
    void (*setJobStatusLine)(const char* text);
    // The web search: a result found (the view takes it over), the results cleared (the view
    // releases its records), the Search and More Result buttons enabled or not.
    void (*searchResultAdded)(SEARCHRESULT* result);
    void (*searchResultsCleared)();
    void (*enableSearchButtons)(int search, int more);
    // A message the user must acknowledge (a message box in the window).
    void (*showMessage)(const char* text, const char* caption);
    // How a page fetch or a file download ended (TransferOutcome, maybe with
    // kStartPageFailed). The default writes "Error code = %d" to standard output for a name
    // that cannot be resolved, and nothing else.
    void (*transferEnded)(const char* address, int outcome, int64_t number, const char* detail);
    // A failure the program cannot go on from; the caller ends the process afterwards.
    void (*fatalError)(const char* message);
};

// Makes `views` the current views. The record must live for the rest of the process;
// members left null are given the do-nothing defaults first.
void InstallViews(VIEWS* views);
// Back to the do-nothing views.
void ResetViews();
const VIEWS& Views();
