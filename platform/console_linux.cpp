// The terminal on Linux: the process already has its standard streams.
#include "platform/console.h"

#include <unistd.h>

void attachParentConsole()
{
}

bool outputIsTerminal()
{
    return isatty(STDOUT_FILENO) == 1;
}
