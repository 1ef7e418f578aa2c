// The video driver of a job that needs OpenGL but no screen.
#pragma once

// With no display to show a window on (Linux without X11 or Wayland), asks SDL for its off-screen
// driver, which makes OpenGL contexts through EGL. Call before SDL_Init. True when it did; the user's
// own SDL_VIDEODRIVER always wins. Windows always has a desktop: false there.
bool chooseOffscreenVideoWithoutDisplay();
