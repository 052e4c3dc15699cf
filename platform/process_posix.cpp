#include "platform/process.h"

#include <cstdio>
#include <unistd.h>

void EndProcess(int code)
{
    std::fflush(nullptr);
    _exit(code);
}
