// The program's arguments on Linux, where argv already holds the file names' own bytes.
#include "platform/program_arguments.h"

const char* const* utf8Arguments(int, char** argv)
{
    return argv;
}
