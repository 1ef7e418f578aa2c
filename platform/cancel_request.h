// The user's request to stop a long job from the terminal: Ctrl+C or a termination signal.
#pragma once

// Catches Ctrl+C and termination requests from now on, so that the job can stop cleanly instead of
// the process dying. Call before SDL_Init: SDL then leaves these signals to the program.
void catchCancelRequests();

// True once such a request has come.
bool cancelRequested();
