// The console on Windows: a GUI program attaches to its parent's console to print there.
#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace {

bool handleIsUsable(DWORD which)
{
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void attachParentConsole()
{
    // Streams redirected to a file or a pipe already work; only a bare GUI start needs the console.
    if (handleIsUsable(STD_OUTPUT_HANDLE) && handleIsUsable(STD_ERROR_HANDLE)) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!handleIsUsable(STD_OUTPUT_HANDLE) || GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR)
        std::freopen("CONOUT$", "w", stdout);
    if (!handleIsUsable(STD_ERROR_HANDLE) || GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR)
        std::freopen("CONOUT$", "w", stderr);
}

bool outputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}
