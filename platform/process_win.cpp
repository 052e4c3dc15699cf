#include "platform/process.h"

#include <windows.h>

#include <cstdio>

void EndProcess(int code)
{
    std::fflush(nullptr);
    // TerminateProcess ends every thread and the process without the runtime's exit steps or
    // the libraries' detach handlers; it does not return when aimed at the calling process.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));
}
