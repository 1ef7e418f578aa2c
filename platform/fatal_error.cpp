// Fatal error box shared by all start-up stages.
#include "platform/fatal_error.h"

#include <SDL.h>

void showFatalError(const char* message)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "QORB ERROR", message, nullptr);
}
