// The terminal a render reports to.
#pragma once

// On Windows, where the program has no console of its own, takes over the console it was started
// from (when standard output is not already redirected), so that progress and errors show there.
// Does nothing elsewhere.
void attachParentConsole();

// True when standard output is a terminal, where a progress line can be rewritten in place.
bool outputIsTerminal();
