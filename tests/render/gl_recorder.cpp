// Stand-ins for the renderer's GL and swap calls that log each call with its arguments in readable
// form, naming GL objects by role ("program", "vertex shader", "buffer#1") and locations by variable.
#include "tests/render/gl_recorder.h"

#include <cstdio>

#include "tests/render/call_log.h"

namespace {

// The real entry points, saved before the stand-ins replace them.
struct RealEntryPoints {
    PFNGLCREATEPROGRAMPROC createProgram;
    PFNGLCREATESHADERPROC createShader;
    PFNGLSHADERSOURCEPROC shaderSource;
    PFNGLCOMPILESHADERPROC compileShader;
    PFNGLGETSHADERIVPROC getShaderiv;
    PFNGLATTACHSHADERPROC attachShader;
    PFNGLLINKPROGRAMPROC linkProgram;
    PFNGLGETPROGRAMIVPROC getProgramiv;
    PFNGLGETATTRIBLOCATIONPROC getAttribLocation;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation;
    PFNGLGENBUFFERSPROC genBuffers;
    PFNGLBINDBUFFERPROC bindBuffer;
    PFNGLBUFFERDATAPROC bufferData;
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLDELETEBUFFERSPROC deleteBuffers;
    PFNGLDELETESHADERPROC deleteShader;
    PFNGLDELETEPROGRAMPROC deleteProgram;
    PFNGLUNIFORM1FPROC uniform1f;
    PFNGLUNIFORM1IPROC uniform1i;
    PFNGLUNIFORM2FVPROC uniform2fv;
    PFNGLUNIFORM4IVPROC uniform4iv;
    PFNGLENABLEVERTEXATTRIBARRAYPROC enableVertexAttribArray;
    PFNGLDISABLEVERTEXATTRIBARRAYPROC disableVertexAttribArray;
    PFNGLVERTEXATTRIBPOINTERPROC vertexAttribPointer;
};

RealEntryPoints real;
std::map<GLuint, std::string> shaderRoles;
std::map<GLint, std::string> uniformNames;

bool record(const std::string& entry)
{
    callLog().push_back(entry);
    return entry == glFaultPlan().failingCall;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string shaderName(GLuint shader)
{
    auto found = shaderRoles.find(shader);
    return found != shaderRoles.end() ? found->second : "shader#" + std::to_string(shader);
}

std::string programName(GLuint program)
{
    if (program == 0) return "0";
    bool known = !glObjects().programs.empty() && glObjects().programs.front() == program;
    return known ? "program" : "program#" + std::to_string(program);
}

std::string bufferName(GLuint buffer)
{
    const std::vector<GLuint>& buffers = glObjects().buffers;
    for (size_t i = 0; i < buffers.size(); ++i) {
        if (buffers[i] == buffer) return "buffer#" + std::to_string(i + 1);
    }
    return "unknown buffer " + std::to_string(buffer);
}

std::string uniformName(GLint location)
{
    auto found = uniformNames.find(location);
    return found != uniformNames.end() ? found->second : "location " + std::to_string(location);
}

std::string attributeName(GLuint index)
{
    auto found = glObjects().locations.find("v");
    bool isV = found != glObjects().locations.end() && GLuint(found->second) == index;
    return isV ? "v" : "attribute " + std::to_string(index);
}

std::string targetName(GLenum target)
{
    if (target == GL_ARRAY_BUFFER) return "array";
    if (target == GL_ELEMENT_ARRAY_BUFFER) return "element array";
    return "target " + std::to_string(target);
}

}  // namespace

GlFaultPlan& glFaultPlan()
{
    static GlFaultPlan plan;
    return plan;
}

GlObjects& glObjects()
{
    static GlObjects objects;
    return objects;
}

void resetRecorder()
{
    callLog().clear();
    recordedBoxes().clear();
    glFaultPlan() = GlFaultPlan();
    glObjects() = GlObjects();
    shaderRoles.clear();
    uniformNames.clear();
}

namespace {

GLuint GLAPIENTRY fakeCreateProgram()
{
    if (record("glCreateProgram")) return 0;
    GLuint program = real.createProgram();
    glObjects().programs.push_back(program);
    return program;
}

GLuint GLAPIENTRY fakeCreateShader(GLenum type)
{
    std::string role = type == GL_VERTEX_SHADER ? "vertex" : type == GL_FRAGMENT_SHADER ? "fragment" : "other";
    if (record("glCreateShader(" + role + ")")) return 0;
    GLuint shader = real.createShader(type);
    glObjects().shaders.push_back(shader);
    shaderRoles[shader] = role + " shader";
    return shader;
}

void GLAPIENTRY fakeShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings,
                                 const GLint* lengths)
{
    record("glShaderSource(" + shaderName(shader) + ", " + std::to_string(count) + " string, " +
           (lengths == nullptr ? "no lengths)" : "lengths)"));
    if (count == 1) glObjects().sources[shaderName(shader)] = strings[0];
    real.shaderSource(shader, count, strings, lengths);
}

void GLAPIENTRY fakeCompileShader(GLuint shader)
{
    record("glCompileShader(" + shaderName(shader) + ")");
    real.compileShader(shader);
}

void GLAPIENTRY fakeGetShaderiv(GLuint shader, GLenum name, GLint* value)
{
    std::string what = name == GL_COMPILE_STATUS ? "compile status" : "query " + std::to_string(name);
    if (record("glGetShaderiv(" + shaderName(shader) + ", " + what + ")")) {
        *value = GL_FALSE;
        return;
    }
    real.getShaderiv(shader, name, value);
}

void GLAPIENTRY fakeAttachShader(GLuint program, GLuint shader)
{
    record("glAttachShader(" + programName(program) + ", " + shaderName(shader) + ")");
    real.attachShader(program, shader);
}

void GLAPIENTRY fakeLinkProgram(GLuint program)
{
    record("glLinkProgram(" + programName(program) + ")");
    real.linkProgram(program);
}

void GLAPIENTRY fakeGetProgramiv(GLuint program, GLenum name, GLint* value)
{
    std::string what = name == GL_LINK_STATUS ? "link status" : "query " + std::to_string(name);
    if (record("glGetProgramiv(" + programName(program) + ", " + what + ")")) {
        *value = GL_FALSE;
        return;
    }
    real.getProgramiv(program, name, value);
}

GLint GLAPIENTRY fakeGetAttribLocation(GLuint program, const GLchar* name)
{
    if (record("glGetAttribLocation(" + programName(program) + ", " + name + ")")) return -1;
    GLint location = real.getAttribLocation(program, name);
    glObjects().locations[name] = location;
    return location;
}

GLint GLAPIENTRY fakeGetUniformLocation(GLuint program, const GLchar* name)
{
    if (record("glGetUniformLocation(" + programName(program) + ", " + name + ")")) return -1;
    GLint location = real.getUniformLocation(program, name);
    glObjects().locations[name] = location;
    uniformNames[location] = name;
    return location;
}

void GLAPIENTRY fakeGenBuffers(GLsizei count, GLuint* buffers)
{
    real.genBuffers(count, buffers);
    for (GLsizei i = 0; i < count; ++i) glObjects().buffers.push_back(buffers[i]);
    record("glGenBuffers(" + std::to_string(count) + ", " + bufferName(buffers[0]) + ")");
}

void GLAPIENTRY fakeBindBuffer(GLenum target, GLuint buffer)
{
    record("glBindBuffer(" + targetName(target) + ", " + bufferName(buffer) + ")");
    real.bindBuffer(target, buffer);
}

std::string bufferContents(GLenum target, GLsizeiptr size, const void* data)
{
    std::string text;
    for (GLsizeiptr i = 0; i + 4 <= size; i += 4) {
        const char* at = static_cast<const char*>(data) + i;
        if (target == GL_ARRAY_BUFFER) {
            text += " " + number(*reinterpret_cast<const GLfloat*>(at));
        } else {
            text += " " + std::to_string(*reinterpret_cast<const GLuint*>(at));
        }
    }
    return text;
}

void GLAPIENTRY fakeBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    std::string use = usage == GL_STATIC_DRAW ? "static draw" : "usage " + std::to_string(usage);
    record("glBufferData(" + targetName(target) + ", " + std::to_string(size) + " bytes, " + use +
           ":" + bufferContents(target, size, data) + ")");
    real.bufferData(target, size, data, usage);
}

void GLAPIENTRY fakeUseProgram(GLuint program)
{
    record("glUseProgram(" + programName(program) + ")");
    real.useProgram(program);
}

void GLAPIENTRY fakeDeleteBuffers(GLsizei count, const GLuint* buffers)
{
    record("glDeleteBuffers(" + std::to_string(count) + ", " + bufferName(buffers[0]) + ")");
    real.deleteBuffers(count, buffers);
}

void GLAPIENTRY fakeDeleteShader(GLuint shader)
{
    record("glDeleteShader(" + shaderName(shader) + ")");
    real.deleteShader(shader);
}

void GLAPIENTRY fakeDeleteProgram(GLuint program)
{
    record("glDeleteProgram(" + programName(program) + ")");
    real.deleteProgram(program);
}

void GLAPIENTRY fakeGetShaderInfoLog(GLuint shader, GLsizei, GLsizei*, GLchar* log)
{
    record("glGetShaderInfoLog(" + shaderName(shader) + ")");
    if (log != nullptr) log[0] = '\0';
}

void GLAPIENTRY fakeGetProgramInfoLog(GLuint program, GLsizei, GLsizei*, GLchar* log)
{
    record("glGetProgramInfoLog(" + programName(program) + ")");
    if (log != nullptr) log[0] = '\0';
}

}  // namespace

namespace {

void GLAPIENTRY fakeUniform1f(GLint location, GLfloat value)
{
    record("glUniform1f(" + uniformName(location) + ", " + number(value) + ")");
    real.uniform1f(location, value);
}

void GLAPIENTRY fakeUniform1i(GLint location, GLint value)
{
    record("glUniform1i(" + uniformName(location) + ", " + std::to_string(value) + ")");
    real.uniform1i(location, value);
}

void GLAPIENTRY fakeUniform2fv(GLint location, GLsizei count, const GLfloat* values)
{
    record("glUniform2fv(" + uniformName(location) + ", " + std::to_string(count) + ", " +
           number(values[0]) + " " + number(values[1]) + ")");
    real.uniform2fv(location, count, values);
}

void GLAPIENTRY fakeUniform4iv(GLint location, GLsizei count, const GLint* values)
{
    record("glUniform4iv(" + uniformName(location) + ", " + std::to_string(count) + ", " +
           std::to_string(values[0]) + " " + std::to_string(values[1]) + " " +
           std::to_string(values[2]) + " " + std::to_string(values[3]) + ")");
    real.uniform4iv(location, count, values);
}

void GLAPIENTRY fakeEnableVertexAttribArray(GLuint index)
{
    record("glEnableVertexAttribArray(" + attributeName(index) + ")");
    real.enableVertexAttribArray(index);
}

void GLAPIENTRY fakeDisableVertexAttribArray(GLuint index)
{
    record("glDisableVertexAttribArray(" + attributeName(index) + ")");
    real.disableVertexAttribArray(index);
}

void GLAPIENTRY fakeVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                                        GLsizei stride, const void* offset)
{
    record("glVertexAttribPointer(" + attributeName(index) + ", " + std::to_string(size) + ", " +
           (type == GL_FLOAT ? "float" : "type " + std::to_string(type)) + ", " +
           (normalized == GL_FALSE ? "not normalised" : "normalised") + ", stride " +
           std::to_string(stride) + ", offset " + std::to_string(reinterpret_cast<uintptr_t>(offset)) + ")");
    real.vertexAttribPointer(index, size, type, normalized, stride, offset);
}

// Saves each real pointer and puts its stand-in in its place.
template <typename Pointer>
void replace(Pointer& glewPointer, Pointer& saved, Pointer standIn)
{
    saved = glewPointer;
    glewPointer = standIn;
}

void installStandIns()
{
    replace(__glewCreateProgram, real.createProgram, fakeCreateProgram);
    replace(__glewCreateShader, real.createShader, fakeCreateShader);
    replace(__glewShaderSource, real.shaderSource, fakeShaderSource);
    replace(__glewCompileShader, real.compileShader, fakeCompileShader);
    replace(__glewGetShaderiv, real.getShaderiv, fakeGetShaderiv);
    replace(__glewAttachShader, real.attachShader, fakeAttachShader);
    replace(__glewLinkProgram, real.linkProgram, fakeLinkProgram);
    replace(__glewGetProgramiv, real.getProgramiv, fakeGetProgramiv);
    replace(__glewGetAttribLocation, real.getAttribLocation, fakeGetAttribLocation);
    replace(__glewGetUniformLocation, real.getUniformLocation, fakeGetUniformLocation);
    replace(__glewGenBuffers, real.genBuffers, fakeGenBuffers);
    replace(__glewBindBuffer, real.bindBuffer, fakeBindBuffer);
    replace(__glewBufferData, real.bufferData, fakeBufferData);
    replace(__glewUseProgram, real.useProgram, fakeUseProgram);
    replace(__glewDeleteBuffers, real.deleteBuffers, fakeDeleteBuffers);
    replace(__glewDeleteShader, real.deleteShader, fakeDeleteShader);
    replace(__glewDeleteProgram, real.deleteProgram, fakeDeleteProgram);
    replace(__glewUniform1f, real.uniform1f, fakeUniform1f);
    replace(__glewUniform1i, real.uniform1i, fakeUniform1i);
    replace(__glewUniform2fv, real.uniform2fv, fakeUniform2fv);
    replace(__glewUniform4iv, real.uniform4iv, fakeUniform4iv);
    replace(__glewEnableVertexAttribArray, real.enableVertexAttribArray, fakeEnableVertexAttribArray);
    replace(__glewDisableVertexAttribArray, real.disableVertexAttribArray, fakeDisableVertexAttribArray);
    replace(__glewVertexAttribPointer, real.vertexAttribPointer, fakeVertexAttribPointer);
    // Never called by the renderer; logged so that a test sees it if they are.
    __glewGetShaderInfoLog = fakeGetShaderInfoLog;
    __glewGetProgramInfoLog = fakeGetProgramInfoLog;
}

}  // namespace

extern "C" {

GLenum __real_glewInit();
void __real_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void __real_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void __real_glClear(GLbitfield mask);
void __real_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* offset);
void __real_glFinish();
void __real_SDL_GL_SwapWindow(SDL_Window* window);

// The real initialisation loads every pointer (and resets any stand-in of an earlier run).
GLenum __wrap_glewInit()
{
    record("glewInit");
    GLenum result = __real_glewInit();
    installStandIns();
    return glFaultPlan().glewResult >= 0 ? GLenum(glFaultPlan().glewResult) : result;
}

void __wrap_glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    record("glViewport(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
           std::to_string(width) + ", " + std::to_string(height) + ")");
    __real_glViewport(x, y, width, height);
}

void __wrap_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    record("glClearColor(" + number(red) + ", " + number(green) + ", " + number(blue) + ", " +
           number(alpha) + ")");
    __real_glClearColor(red, green, blue, alpha);
}

void __wrap_glClear(GLbitfield mask)
{
    record(mask == GL_COLOR_BUFFER_BIT ? "glClear(color)" : "glClear(" + std::to_string(mask) + ")");
    __real_glClear(mask);
}

void __wrap_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* offset)
{
    record(std::string("glDrawElements(") + (mode == GL_TRIANGLE_FAN ? "triangle fan" : "mode " + std::to_string(mode)) +
           ", " + std::to_string(count) + ", " +
           (type == GL_UNSIGNED_INT ? "unsigned int" : "type " + std::to_string(type)) +
           ", offset " + std::to_string(reinterpret_cast<uintptr_t>(offset)) + ")");
    __real_glDrawElements(mode, count, type, offset);
}

void __wrap_glFinish()
{
    record("glFinish");
    __real_glFinish();
}

void __wrap_SDL_GL_SwapWindow(SDL_Window* window)
{
    record("SDL_GL_SwapWindow");
    glObjects().swappedWindows.push_back(window);
    __real_SDL_GL_SwapWindow(window);
}

}  // extern "C"
