// The video driver of a job that needs OpenGL but no screen.
#pragma once

// Asks SDL for its off-screen driver, which makes OpenGL contexts through EGL, where Linux has no
// display (no X11, no Wayland), or, with displayFailed, where the display named could not be opened.
// Call before SDL_Init. True when it did; a driver the user named in SDL_VIDEODRIVER always wins.
// Windows always has a desktop: false there.
bool chooseOffscreenVideo(bool displayFailed);
