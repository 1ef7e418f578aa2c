// The fractal renderer: builds the fractal program and the quad, draws frames, releases them.
#include "render/fractal_renderer.h"

#include <GL/glew.h>

#include "platform/exit_codes.h"
#include "platform/fatal_error.h"
#include "platform/program_context.h"
#include "render/shader_sources.h"

namespace {

// One attribute or uniform to look up: its shader name, where its location goes, and how its
// absence is reported.
struct VariableLookup {
    const char* name;
    int32_t ShaderBindings::*field;
    int code;
    const char* message;
};

// Strictly in lookup order; draw_mouse_rect comes before mouse_motion_rect here.
const VariableLookup uniformLookups[] = {
    {"theta", &ShaderBindings::theta, 27, "Fatal Error: Failed to locate OpenGL Variable: theta"},
    {"alpha", &ShaderBindings::alpha, 28, "Fatal Error: Failed to locate OpenGL Variable: alpha"},
    {"max_iterations", &ShaderBindings::max_iterations, 29, "Fatal Error: Failed to locate OpenGL Variable: mi"},
    {"divergence_thresh2", &ShaderBindings::divergence_thresh2, 30, "Fatal Error: Failed to locate OpenGL Variable: dt2"},
    {"c", &ShaderBindings::c, 31, "Fatal Error: Failed to locate OpenGL Variable: c"},
    {"zitrans", &ShaderBindings::zitrans, 32, "Fatal Error: Failed to locate OpenGL Variable: zi"},
    {"zftrans", &ShaderBindings::zftrans, 33, "Fatal Error: Failed to locate OpenGL Variable: zf"},
    {"fade", &ShaderBindings::fade, 34, "Fatal Error: Failed to locate OpenGL Variable: fade"},
    {"zzoom", &ShaderBindings::zzoom, 35, "Fatal Error: Failed to locate OpenGL Variable: zzoom"},
    {"colormode", &ShaderBindings::colormode, 36, "Fatal Error: Failed to locate OpenGL Variable: colormode"},
    {"fractalmode", &ShaderBindings::fractalmode, 37, "Fatal Error: Failed to locate OpenGL Variable: fractalmode"},
    {"bgfractalblend", &ShaderBindings::bgfractalblend, 38, "Fatal Error: Failed to locate OpenGL Variable: bgfractalblend"},
    {"ws", &ShaderBindings::ws, 39, "Fatal Error: Failed to locate OpenGL Variable: ws"},
    {"ad", &ShaderBindings::ad, 40, "Fatal Error: Failed to locate OpenGL Variable: ad"},
    {"draw_mouse_rect", &ShaderBindings::draw_mouse_rect, 42, "Fatal Error: Failed to locate OpenGL Variable: draw_mouse_rect"},
    {"mouse_motion_rect", &ShaderBindings::mouse_motion_rect, 41, "Fatal Error: Failed to locate OpenGL Variable: mouse_motion_rect"},
    {"main_window_width", &ShaderBindings::main_window_width, 43, "Fatal Error: Failed to locate OpenGL Variable: main_window_width"},
    {"main_window_height", &ShaderBindings::main_window_height, 44, "Fatal Error: Failed to locate OpenGL Variable: main_window_height"},
};

// The quad reaches three units beyond every screen edge, so tilt and offsets never uncover the window.
const GLfloat quadVertices[8] = {-4.0f, -4.0f, 4.0f, -4.0f, 4.0f, 4.0f, -4.0f, 4.0f};
const GLuint quadIndices[4] = {0, 1, 2, 3};

int fail(int code, const char* message)
{
    showFatalError(message);
    return code;
}

// GLEW 2.2 built for GLX reports a missing GLX display on an EGL context only after it has
// loaded every entry point, so that one result counts as success.
bool loadEntryPoints()
{
    GLenum result = glewInit();
    return result == GLEW_OK || result == GLEW_ERROR_NO_GLX_DISPLAY;
}

// Reads the compile status of a shader or the link status of a program.
bool statusSucceeded(GLuint object, GLenum status)
{
    GLint value = GL_FALSE;
    if (status == GL_COMPILE_STATUS) {
        glGetShaderiv(object, status, &value);
    } else {
        glGetProgramiv(object, status, &value);
    }
    return value == GL_TRUE;
}

void deleteShaderIfMade(GLuint& shader)
{
    if (shader != 0) {
        glDeleteShader(shader);
        shader = 0;
    }
}

// Fragment shader, vertex shader, program: the reverse of their creation.
void releaseProgramObjects(FractalRenderer& renderer)
{
    deleteShaderIfMade(renderer.fragmentShader);
    deleteShaderIfMade(renderer.vertexShader);
    if (renderer.program != 0) {
        glDeleteProgram(renderer.program);
        renderer.program = 0;
    }
}

int failAndRelease(FractalRenderer& renderer, int code, const char* message)
{
    showFatalError(message);
    releaseProgramObjects(renderer);
    return code;
}

bool compileShader(GLuint shader, const char* source)
{
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return statusSucceeded(shader, GL_COMPILE_STATUS);
}

// Creates, compiles and attaches both shaders and links the program. On failure everything made
// so far is released and the failure's code returned.
int buildProgram(FractalRenderer& renderer)
{
    renderer.program = glCreateProgram();
    if (renderer.program == 0) return fail(codeNoProgram, "Fatal Error: Failed to create an OpenGL Program.");
    renderer.vertexShader = glCreateShader(GL_VERTEX_SHADER);
    if (renderer.vertexShader == 0)
        return failAndRelease(renderer, codeNoVertexShader, "Fatal Error: Failed to create an OpenGL Vertex Shader.");
    if (!compileShader(renderer.vertexShader, fractalVertexShaderSource))
        return failAndRelease(renderer, codeVertexShaderFailed, "Fatal Error: Compilation of OpenGL Vertex Shader Failed.");
    glAttachShader(renderer.program, renderer.vertexShader);
    renderer.fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
    if (renderer.fragmentShader == 0)
        return failAndRelease(renderer, codeNoFragmentShader, "Fatal Error: Failed to create an OpenGL Fragment Shader.");
    if (!compileShader(renderer.fragmentShader, fractalFragmentShaderSource))
        return failAndRelease(renderer, codeFragmentShaderFailed, "Fatal Error: Compilation of OpenGL Fragment Shader Failed.");
    glAttachShader(renderer.program, renderer.fragmentShader);
    glLinkProgram(renderer.program);
    if (!statusSucceeded(renderer.program, GL_LINK_STATUS))
        return failAndRelease(renderer, codeLinkFailed, "Fatal Error: Failed to Link OpenGL Program.");
    return 0;
}

// Stores every location in the bindings; the first one missing shows its message and returns its code.
int locateVariables(GLuint program, ShaderBindings& bindings)
{
    bindings.v = glGetAttribLocation(program, "v");
    if (bindings.v < 0) return fail(codeNoVertexAttribute, "Fatal Error: Failed to locate OpenGL Variable: v");
    for (const VariableLookup& lookup : uniformLookups) {
        bindings.*lookup.field = glGetUniformLocation(program, lookup.name);
        if (bindings.*lookup.field < 0) return fail(lookup.code, lookup.message);
    }
    return 0;
}

GLuint makeBuffer(GLenum target, const void* data, GLsizeiptr size)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, size, data, GL_STATIC_DRAW);
    return buffer;
}

void uploadQuad(ShaderBindings& bindings)
{
    bindings.vertexBuffer = makeBuffer(GL_ARRAY_BUFFER, quadVertices, sizeof quadVertices);
    bindings.indexBuffer = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices, sizeof quadIndices);
}

void deleteBufferIfMade(uint32_t& buffer)
{
    if (buffer != 0) {
        glDeleteBuffers(1, &buffer);
        buffer = 0;
    }
}

// Every FractalParams field, then the highlight and the drawable size, in a fixed order.
void uploadUniforms(const DisplayState& display, const ShaderBindings& bindings,
                    const FractalParams& params, bool highlight, const int32_t highlightRect[4])
{
    glUniform1f(bindings.theta, params.theta);
    glUniform1f(bindings.alpha, params.alpha);
    glUniform1i(bindings.max_iterations, params.max_iterations);
    glUniform1f(bindings.divergence_thresh2, params.divergence_thresh2);
    glUniform2fv(bindings.c, 1, &params.c.x);
    glUniform2fv(bindings.zitrans, 1, &params.zitrans.x);
    glUniform2fv(bindings.zftrans, 1, &params.zftrans.x);
    glUniform1f(bindings.fade, params.fade);
    glUniform1f(bindings.zzoom, params.zzoom);
    glUniform1i(bindings.colormode, params.colormode);
    glUniform1i(bindings.fractalmode, params.fractalmode);
    glUniform1f(bindings.bgfractalblend, params.bgfractalblend);
    glUniform1f(bindings.ws, params.ws);
    glUniform1f(bindings.ad, params.ad);
    glUniform1i(bindings.draw_mouse_rect, highlight ? 1 : 0);
    glUniform4iv(bindings.mouse_motion_rect, 1, highlightRect);
    glUniform1f(bindings.main_window_width, static_cast<float>(display.drawableWidth));
    glUniform1f(bindings.main_window_height, static_cast<float>(display.drawableHeight));
}

// Clears, uploads the uniforms and draws the quad, as a fan of its four indices; returns the vertex
// attribute, still enabled.
GLuint drawQuad(const DisplayState& display, const ShaderBindings& bindings, const FractalParams& params,
                bool highlight, const int32_t highlightRect[4])
{
    glClear(GL_COLOR_BUFFER_BIT);
    uploadUniforms(display, bindings, params, highlight, highlightRect);
    const GLuint attribute = static_cast<GLuint>(bindings.v);
    glEnableVertexAttribArray(attribute);
    glBindBuffer(GL_ARRAY_BUFFER, bindings.vertexBuffer);
    glVertexAttribPointer(attribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, bindings.indexBuffer);
    glDrawElements(GL_TRIANGLE_FAN, 4, GL_UNSIGNED_INT, nullptr);
    return attribute;
}

}  // namespace

int openFractalRenderer(const DisplayState& display, FractalRenderer& renderer)
{
    // Entry points, then the viewport over the whole drawable.
    if (!loadEntryPoints()) return fail(codeNoGlew, "Fatal Error: Failed to initialize the GLEW library.");
    glViewport(0, 0, display.drawableWidth, display.drawableHeight);

    // Program from both shaders (releases its own objects on failure).
    int code = buildProgram(renderer);
    if (code != 0) return code;

    // Every location; the buffers are made only once all of them are known.
    code = locateVariables(renderer.program, renderer.bindings);
    if (code != 0) {
        releaseProgramObjects(renderer);
        return code;
    }

    // Opaque black clear colour, the quad, and the program current for the whole session.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    uploadQuad(renderer.bindings);
    glUseProgram(renderer.program);
    return 0;
}

// A session that ended on an overlay screen leaves the 2D renderer's context current, where these
// names would miss our objects and might hit the renderer's own.
void closeFractalRenderer(FractalRenderer& renderer)
{
    // The program is made first, so without it nothing else was.
    if (renderer.program == 0) return;
    makeProgramContextCurrent();
    glUseProgram(0);
    deleteBufferIfMade(renderer.bindings.vertexBuffer);
    deleteBufferIfMade(renderer.bindings.indexBuffer);
    releaseProgramObjects(renderer);
}

void drawFractal(const DisplayState& display, const ShaderBindings& bindings, const FractalParams& params,
                 bool highlight, const int32_t highlightRect[4])
{
    const GLuint attribute = drawQuad(display, bindings, params, highlight, highlightRect);
    glDisableVertexAttribArray(attribute);
}

void drawFractalFrame(const DisplayState& display, const ShaderBindings& bindings,
                      const FractalParams& params, bool highlight, const int32_t highlightRect[4],
                      FrameGrab* grab)
{
    // The 2D renderer draws in a context of its own and leaves that one current.
    makeProgramContextCurrent();
    const GLuint attribute = drawQuad(display, bindings, params, highlight, highlightRect);
    // Wait for the whole frame before presenting it.
    glFinish();
    glDisableVertexAttribArray(attribute);
    if (grab != nullptr) grabGlFrame(*grab, display.drawableWidth, display.drawableHeight);
    SDL_GL_SwapWindow(display.window);
}
