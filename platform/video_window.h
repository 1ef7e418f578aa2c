// The window of a song's render: a preview of the frames as they are drawn, or an invisible one
// that only carries the OpenGL context when there is no display.
#pragma once
#include "platform/window.h"

// Creates a window of width x height (hidden when hidden), its OpenGL context made current, with no
// 2D renderer and no vertical sync, since the render runs as fast as it can. Returns 0, or 12, 15, 16
// or 17 (platform/exit_codes.h) after the failure's error box, with everything it made released.
int openVideoWindow(int width, int height, bool hidden, ProgramWindow& opened);

// The size of a preview window for a video of videoWidth x videoHeight: the video's shape, at most
// maxWidth x maxHeight, never larger than the video, at least 16 pixels a side.
void previewWindowSize(int videoWidth, int videoHeight, int maxWidth, int maxHeight, int& width, int& height);
