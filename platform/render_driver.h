// The platform's choice of SDL 2D render driver, made before the renderer is created.
#pragma once

// Asks SDL for the 2D render driver that shares the fractal's presentation path on this platform.
void chooseRenderDriver();
