// Render driver elsewhere: SDL's own first choice is already its OpenGL driver.
#include "app/render_driver.h"

void chooseRenderDriver()
{
}
