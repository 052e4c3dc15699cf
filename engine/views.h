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
    // A failure the program cannot go on from; the caller ends the process afterwards.
    void (*fatalError)(const char* message);
};

// Makes `views` the current views. The record must live for the rest of the process;
// members left null are given the do-nothing defaults first.
void InstallViews(VIEWS* views);
// Back to the do-nothing views.
void ResetViews();
const VIEWS& Views();
