#include "ConsoleOutput.h"

#include <windows.h>

#include <cstdio>

namespace ConsoleOutput {

void Attach()
{
    // Redirected output (a file, a pipe) is already in the standard handle;
    // only a program started from a console window has none and borrows
    // that window's console.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
}

} // namespace ConsoleOutput
