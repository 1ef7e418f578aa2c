// Substitutes the reference fragment shader at GLEW's glShaderSource pointer, which the renderer
// stage's glewInit fills in; the wrapped glewInit replaces it right after.
#include "tests/render/reference_program.h"

#include <GL/glew.h>

#include "render/shader_sources.h"

extern const char plainLoopFragmentShaderSource[];

namespace {

bool referenceChosen = false;
int compilations = 0;
PFNGLSHADERSOURCEPROC realShaderSource = nullptr;

void GLAPIENTRY substitutingShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings,
                                         const GLint* lengths)
{
    if (referenceChosen && count == 1 && strings[0] == fractalFragmentShaderSource) {
        const GLchar* reference = plainLoopFragmentShaderSource;
        ++compilations;
        realShaderSource(shader, 1, &reference, nullptr);
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

void useReferenceFragmentShader(bool reference)
{
    referenceChosen = reference;
}

int referenceCompilations()
{
    return compilations;
}
