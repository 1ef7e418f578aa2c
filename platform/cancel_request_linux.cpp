// Ctrl+C and SIGTERM on Linux, caught as a flag.
#include "platform/cancel_request.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

void noteRequest(int)
{
    requested = 1;
}

}  // namespace

void catchCancelRequests()
{
    struct sigaction action = {};
    action.sa_handler = noteRequest;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool cancelRequested()
{
    return requested != 0;
}
