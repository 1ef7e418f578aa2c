// Ctrl+C, Ctrl+Break and the console's closing on Windows, caught as a flag.
#include "platform/cancel_request.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> requested{false};

BOOL WINAPI noteRequest(DWORD)
{
    requested.store(true);
    return TRUE;
}

}  // namespace

void catchCancelRequests()
{
    SetConsoleCtrlHandler(noteRequest, TRUE);
}

bool cancelRequested()
{
    return requested.load();
}
