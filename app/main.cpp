// Program entry point of the visualizer.
#define SDL_MAIN_HANDLED
#include "app/program_entry.h"
#include "app/visualizer.h"

int main(int argc, char** argv)
{
    return runProgram(argc, argv, runVisualizer);
}
