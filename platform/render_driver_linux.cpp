// Render driver on Linux: SDL's own first choice is already its OpenGL driver.
#include "platform/render_driver.h"

void chooseRenderDriver()
{
}
