// The render of a song into a video, composed at the program's top as the live program is.
#pragma once

// Reads the render's command line, renders, and returns the process exit code: 0, or the code of
// the failure after one line on standard error naming the file and the reason.
int runSongRender(int argc, const char* const* argv);
