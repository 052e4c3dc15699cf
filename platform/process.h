// Ending the process while engine threads still run.
#pragma once

// Flushes every open C stream, then ends the process with `code` at once: no global
// destructor and no exit handler runs, so no thread still at work ever meets a destroyed
// table or list.
[[noreturn]] void EndProcess(int code);
