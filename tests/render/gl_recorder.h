// Recording (and, on request, failing) stand-ins for the GL entry points the renderer uses: GLEW's
// function pointers are replaced right after the real glewInit, the GL 1.x calls and the swap are
// wrapped at link time. Every stand-in forwards to the real call unless it is the one to fail.
#pragma once
#include <GL/glew.h>
#include <SDL.h>

#include <map>
#include <string>
#include <vector>

struct GlFaultPlan {
    std::string failingCall;  // log entry of the call that fails; empty for none
    int glewResult = -1;      // what glewInit reports instead of the real result; -1 keeps it
};

// What the stand-ins saw created and returned.
struct GlObjects {
    std::vector<GLuint> programs;
    std::vector<GLuint> shaders;
    std::vector<GLuint> buffers;
    std::map<std::string, GLint> locations;          // variable name to location ("v" included)
    std::map<std::string, std::string> sources;      // "vertex shader"/"fragment shader" to text
    std::vector<SDL_Window*> swappedWindows;
};

GlFaultPlan& glFaultPlan();
GlObjects& glObjects();

// Clears the call log, the boxes, the fault plan and the objects.
void resetRecorder();
