// Substitutes another fragment shader at GLEW's glShaderSource pointer, which the fractal renderer's
// glewInit fills in; the wrapped glewInit replaces it right after.
#include "tests/render/reference_program.h"

#include <GL/glew.h>

#include "render/shader_sources.h"

namespace {

const char* substitute = nullptr;
int compilations = 0;
PFNGLSHADERSOURCEPROC realShaderSource = nullptr;

void GLAPIENTRY substitutingShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings,
                                         const GLint* lengths)
{
    if (substitute != nullptr && count == 1 && strings[0] == fractalFragmentShaderSource) {
        const GLchar* text = substitute;
        ++compilations;
        realShaderSource(shader, 1, &text, nullptr);
        return;
    }
    realShaderSource(shader, count, strings, lengths);
}

}  // namespace

extern "C" GLenum __real_glewInit();

extern "C" GLenum __wrap_glewInit()
{
    GLenum result = __real_glewInit();
    realShaderSource = glShaderSource;
    __glewShaderSource = substitutingShaderSource;
    return result;
}

void substituteFragmentShader(const char* source)
{
    substitute = source;
}

int substituteCompilations()
{
    return compilations;
}
