// Switch that makes the renderer stage compile the plain-loop reference fragment shader in place of
// the program's, so that both can be drawn through the same stage, uploads and draw call.
// Needs the link option --wrap=glewInit, which the library passes on to whatever links it.
#pragma once

// From the next runFractalRenderer on, the fragment shader compiled is the reference (true) or the
// program's own (false).
void useReferenceFragmentShader(bool reference);

// How many times the reference source has been handed to the GL so far.
int referenceCompilations();
