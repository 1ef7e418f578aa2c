// Switch that makes the fractal renderer compile another fragment shader in place of the program's,
// so that both can be drawn through the same renderer, uploads and draw call.
// Needs the link option --wrap=glewInit, which the library passes on to whatever links it.
#pragma once

// The program's fragment shader with its escape loop in the plain form, without the repeat check.
extern const char plainLoopFragmentShaderSource[];

// From the next openFractalRenderer on, the fragment shader compiled is source, or the program's own
// where source is null. The text must outlive the compilation.
void substituteFragmentShader(const char* source);

// How many times a substitute has been handed to the GL so far.
int substituteCompilations();
