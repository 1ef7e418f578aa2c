// Program entry point: the live visualizer, a song rendered into a video, or the usage text.
#define SDL_MAIN_HANDLED
#include <cstdio>

#include "platform/console.h"
#include "platform/program_arguments.h"
#include "app/program_entry.h"
#include "app/render_options.h"
#include "app/song_render.h"
#include "app/visualizer.h"

int main(int argc, char** nativeArguments)
{
    const char* const* argv = utf8Arguments(argc, nativeArguments);
    const CommandKind kind = commandKind(argc, argv);
    if (kind == CommandKind::live) return runProgram(argc, argv, runVisualizer);
    attachParentConsole();
    if (kind == CommandKind::render) return runSongRender(argc, argv);
    printUsage(stdout);
    return 0;
}
