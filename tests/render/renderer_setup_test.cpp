// The fractal renderer's set-up, failure codes, releases and per-frame uploads, observed through
// recording stand-ins at the GL and SDL boundaries on a real Mesa context under Xvfb.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/program_context.h"
#include "render/fractal_renderer.h"
#include "render/shader_sources.h"
#include "tests/render/call_log.h"
#include "tests/render/gl_recorder.h"
#include "tests/render/gl_test_window.h"
#include "tests/render/gl_window_environment.h"

namespace {

TestWindow testWindow;
ShaderBindings bindingsSeen;
// Runs where the session would, while the program is built and current.
void (*sessionBody)(DisplayState&, ShaderBindings&) = nullptr;

const ::testing::Environment* const glEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment(testWindow, 64, 48));

// In lookup order.
const char* const uniformLookupOrder[18] = {
    "theta", "alpha", "max_iterations", "divergence_thresh2", "c", "zitrans", "zftrans", "fade",
    "zzoom", "colormode", "fractalmode", "bgfractalblend", "ws", "ad", "draw_mouse_rect",
    "mouse_motion_rect", "main_window_width", "main_window_height"};

std::vector<std::string> compileCalls(const std::string& stage)
{
    return {"glCreateShader(" + stage + ")",
            "glShaderSource(" + stage + " shader, 1 string, no lengths)",
            "glCompileShader(" + stage + " shader)",
            "glGetShaderiv(" + stage + " shader, compile status)"};
}

// Every call of a successful set-up up to the session, for the 64 by 48 test window.
std::vector<std::string> setupCalls()
{
    std::vector<std::string> calls = {"glewInit", "glViewport(0, 0, 64, 48)", "glCreateProgram"};
    for (const std::string& call : compileCalls("vertex")) calls.push_back(call);
    calls.push_back("glAttachShader(program, vertex shader)");
    for (const std::string& call : compileCalls("fragment")) calls.push_back(call);
    calls.push_back("glAttachShader(program, fragment shader)");
    calls.push_back("glLinkProgram(program)");
    calls.push_back("glGetProgramiv(program, link status)");
    calls.push_back("glGetAttribLocation(program, v)");
    for (const char* name : uniformLookupOrder) {
        calls.push_back(std::string("glGetUniformLocation(program, ") + name + ")");
    }
    const char* const quad[] = {
        "glClearColor(0, 0, 0, 1)",
        "glGenBuffers(1, buffer#1)",
        "glBindBuffer(array, buffer#1)",
        "glBufferData(array, 32 bytes, static draw: -4 -4 4 -4 4 4 -4 4)",
        "glGenBuffers(1, buffer#2)",
        "glBindBuffer(element array, buffer#2)",
        "glBufferData(element array, 16 bytes, static draw: 0 1 2 3)",
        "glUseProgram(program)"};
    calls.insert(calls.end(), std::begin(quad), std::end(quad));
    return calls;
}

const std::vector<std::string> releaseCalls = {
    "glUseProgram(0)",
    "glDeleteBuffers(1, buffer#1)",
    "glDeleteBuffers(1, buffer#2)",
    "glDeleteShader(fragment shader)",
    "glDeleteShader(vertex shader)",
    "glDeleteProgram(program)"};

std::vector<std::string> concatenated(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Nothing that the set-up created is left in the GL, whatever path it took.
void expectNoObjectsLeft()
{
    for (GLuint program : glObjects().programs) EXPECT_FALSE(glIsProgram(program));
    for (GLuint shader : glObjects().shaders) EXPECT_FALSE(glIsShader(shader));
    for (GLuint buffer : glObjects().buffers) EXPECT_FALSE(glIsBuffer(buffer));
}

// Opens the renderer as the program does and, once it is open, runs the test's body where the
// session would run, then closes it. Returns the open's code.
int runRenderer(const GlFaultPlan& plan)
{
    resetRecorder();
    glFaultPlan() = plan;
    FractalRenderer renderer;
    const int code = openFractalRenderer(testWindow.display, renderer);
    if (code != 0) return code;
    callLog().push_back("session");
    bindingsSeen = renderer.bindings;
    if (sessionBody != nullptr) sessionBody(testWindow.display, renderer.bindings);
    closeFractalRenderer(renderer);
    return 0;
}

struct FailureRow {
    int code;
    std::string failingCall;  // empty: glewInit reports a failure
    std::string message;
    std::vector<std::string> released;
};

const std::vector<std::string> allShaders = {"glDeleteShader(fragment shader)",
                                             "glDeleteShader(vertex shader)",
                                             "glDeleteProgram(program)"};

std::vector<FailureRow> failureRows()
{
    std::vector<FailureRow> rows = {
        {19, "", "Fatal Error: Failed to initialize the GLEW library.", {}},
        {20, "glCreateProgram", "Fatal Error: Failed to create an OpenGL Program.", {}},
        {22, "glCreateShader(vertex)", "Fatal Error: Failed to create an OpenGL Vertex Shader.",
         {"glDeleteProgram(program)"}},
        {23, "glGetShaderiv(vertex shader, compile status)",
         "Fatal Error: Compilation of OpenGL Vertex Shader Failed.",
         {"glDeleteShader(vertex shader)", "glDeleteProgram(program)"}},
        {24, "glCreateShader(fragment)", "Fatal Error: Failed to create an OpenGL Fragment Shader.",
         {"glDeleteShader(vertex shader)", "glDeleteProgram(program)"}},
        {25, "glGetShaderiv(fragment shader, compile status)",
         "Fatal Error: Compilation of OpenGL Fragment Shader Failed.", allShaders},
        {21, "glGetProgramiv(program, link status)", "Fatal Error: Failed to Link OpenGL Program.", allShaders},
        {26, "glGetAttribLocation(program, v)", "Fatal Error: Failed to locate OpenGL Variable: v", allShaders},
    };
    const int codes[18] = {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 42, 41, 43, 44};
    const char* const shortNames[18] = {
        "theta", "alpha", "mi", "dt2", "c", "zi", "zf", "fade", "zzoom", "colormode", "fractalmode",
        "bgfractalblend", "ws", "ad", "draw_mouse_rect", "mouse_motion_rect", "main_window_width",
        "main_window_height"};
    for (int i = 0; i < 18; ++i) {
        rows.push_back({codes[i], std::string("glGetUniformLocation(program, ") + uniformLookupOrder[i] + ")",
                        std::string("Fatal Error: Failed to locate OpenGL Variable: ") + shortNames[i],
                        allShaders});
    }
    return rows;
}

// The calls up to and including the failing one, the box, then exactly the row's releases.
std::vector<std::string> expectedFailureCalls(const FailureRow& row)
{
    std::vector<std::string> setup = setupCalls();
    std::vector<std::string> calls = {"glewInit"};
    if (!row.failingCall.empty()) {
        auto failing = std::find(setup.begin(), setup.end(), row.failingCall);
        calls.assign(setup.begin(), failing + 1);
    }
    calls.push_back("box: " + row.message);
    return concatenated(calls, row.released);
}

void PrintTo(const FailureRow& row, std::ostream* out)
{
    *out << "code " << row.code;
}

class FailureTable : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FailureTable, ShowsItsBoxReleasesItsRowAndReturnsItsCode)
{
    const FailureRow& row = GetParam();
    GlFaultPlan plan;
    plan.failingCall = row.failingCall;
    if (row.failingCall.empty()) plan.glewResult = GLEW_ERROR_NO_GL_VERSION;

    EXPECT_EQ(runRenderer(plan), row.code);
    EXPECT_EQ(callLog(), expectedFailureCalls(row));
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].flags, uint32_t(SDL_MESSAGEBOX_ERROR));
    EXPECT_EQ(recordedBoxes()[0].title, "QORB ERROR");
    EXPECT_EQ(recordedBoxes()[0].message, row.message);
    EXPECT_FALSE(recordedBoxes()[0].hasParent);
    expectNoObjectsLeft();
}

INSTANTIATE_TEST_SUITE_P(EveryRow, FailureTable, ::testing::ValuesIn(failureRows()),
                         [](const ::testing::TestParamInfo<FailureRow>& info) {
                             return "code" + std::to_string(info.param.code);
                         });

// GLEW built for GLX returns "no GLX display" on an EGL context after loading every entry point;
// only that value is taken as success.
TEST(GlewInitialisation, OnlyTheMissingGlxDisplayResultCountsAsSuccess)
{
    GlFaultPlan plan;
    plan.glewResult = GLEW_ERROR_NO_GLX_DISPLAY;
    EXPECT_EQ(runRenderer(plan), 0);
    EXPECT_EQ(callLog(), concatenated(concatenated(setupCalls(), {"session"}), releaseCalls));
    for (int failure : {GLEW_ERROR_NO_GL_VERSION, GLEW_ERROR_GL_VERSION_10_ONLY, GLEW_ERROR_GLX_VERSION_11_ONLY}) {
        plan.glewResult = failure;
        EXPECT_EQ(runRenderer(plan), 19) << "glewInit result " << failure;
        EXPECT_EQ(callLog(), std::vector<std::string>({"glewInit", "box: Fatal Error: Failed to initialize the GLEW library."}));
    }
}

TEST(RendererSetup, BuildsEverythingInOrderAndReleasesInOrder)
{
    EXPECT_EQ(runRenderer(GlFaultPlan()), 0);
    EXPECT_EQ(callLog(), concatenated(concatenated(setupCalls(), {"session"}), releaseCalls));
    EXPECT_TRUE(recordedBoxes().empty());
    expectNoObjectsLeft();
}

TEST(RendererSetup, ClosingAnUnopenedOrClosedRendererCallsNothing)
{
    resetRecorder();
    FractalRenderer never;
    closeFractalRenderer(never);
    EXPECT_TRUE(callLog().empty());
    FractalRenderer renderer;
    ASSERT_EQ(openFractalRenderer(testWindow.display, renderer), 0);
    closeFractalRenderer(renderer);
    const size_t afterClose = callLog().size();
    closeFractalRenderer(renderer);
    EXPECT_EQ(callLog().size(), afterClose);
    expectNoObjectsLeft();
}

// As the 2D renderer does when the session ends on an overlay screen: another context of the same
// window is left current.
SDL_GLContext otherContext = nullptr;

void endInAnotherContext(DisplayState& display, ShaderBindings&)
{
    otherContext = SDL_GL_CreateContext(display.window);
}

TEST(RendererSetup, ReleasesInItsOwnContextAfterASessionThatEndedInAnother)
{
    setProgramContext(testWindow.display.window, testWindow.context);
    sessionBody = endInAnotherContext;
    EXPECT_EQ(runRenderer(GlFaultPlan()), 0);
    sessionBody = nullptr;
    ASSERT_NE(otherContext, nullptr) << SDL_GetError();
    ASSERT_EQ(SDL_GL_MakeCurrent(testWindow.display.window, testWindow.context), 0);
    EXPECT_EQ(glObjects().programs.size() + glObjects().shaders.size() + glObjects().buffers.size(), 5u);
    expectNoObjectsLeft();
    SDL_GL_DeleteContext(otherContext);
    SDL_GL_MakeCurrent(testWindow.display.window, testWindow.context);
    setProgramContext(nullptr, nullptr);
}

TEST(RendererSetup, HandsTheSessionEveryLocationAndBothBuffers)
{
    runRenderer(GlFaultPlan());
    const ShaderBindings& b = bindingsSeen;
    const int32_t* fields[19] = {&b.theta, &b.alpha, &b.max_iterations, &b.divergence_thresh2, &b.c,
                                 &b.zitrans, &b.zftrans, &b.fade, &b.zzoom, &b.colormode,
                                 &b.fractalmode, &b.bgfractalblend, &b.ws, &b.ad, &b.draw_mouse_rect,
                                 &b.mouse_motion_rect, &b.main_window_width, &b.main_window_height, &b.v};
    for (int i = 0; i < 19; ++i) {
        std::string name = i < 18 ? uniformLookupOrder[i] : "v";
        EXPECT_GE(*fields[i], 0) << name;
        EXPECT_EQ(*fields[i], glObjects().locations[name]) << name;
    }
    ASSERT_EQ(glObjects().buffers.size(), 2u);
    EXPECT_EQ(b.vertexBuffer, glObjects().buffers[0]);
    EXPECT_EQ(b.indexBuffer, glObjects().buffers[1]);
}

TEST(RendererSetup, CompilesTheEmbeddedGlsl140Sources)
{
    runRenderer(GlFaultPlan());
    EXPECT_EQ(glObjects().sources["vertex shader"], fractalVertexShaderSource);
    EXPECT_EQ(glObjects().sources["fragment shader"], fractalFragmentShaderSource);
    EXPECT_EQ(std::strncmp(fractalVertexShaderSource, "#version 140\n", 13), 0);
    EXPECT_EQ(std::strncmp(fractalFragmentShaderSource, "#version 140\n", 13), 0);
}

struct InterfaceVariable {
    const char* name;
    GLenum type;
};

// The linked program's active uniforms and attribute have the binding types; queried in the
// session, where the program must be current.
void recordInterfaceTypes(DisplayState&, ShaderBindings&)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    callLog().push_back("current program " + std::to_string(program));
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[64];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, i, sizeof name, nullptr, &size, &type, name);
        callLog().push_back(std::string("uniform ") + name + " " + std::to_string(type));
    }
    char name[64];
    GLint size = 0;
    GLenum type = 0;
    glGetActiveAttrib(program, 0, sizeof name, nullptr, &size, &type, name);
    callLog().push_back(std::string("attribute ") + name + " " + std::to_string(type));
}

TEST(RendererSetup, ProgramIsCurrentAndItsInterfaceHasTheBindingTypes)
{
    sessionBody = recordInterfaceTypes;
    runRenderer(GlFaultPlan());
    sessionBody = nullptr;
    const InterfaceVariable expected[19] = {
        {"theta", GL_FLOAT}, {"alpha", GL_FLOAT}, {"max_iterations", GL_INT},
        {"divergence_thresh2", GL_FLOAT}, {"c", GL_FLOAT_VEC2}, {"zitrans", GL_FLOAT_VEC2},
        {"zftrans", GL_FLOAT_VEC2}, {"fade", GL_FLOAT}, {"zzoom", GL_FLOAT}, {"colormode", GL_INT},
        {"fractalmode", GL_INT}, {"bgfractalblend", GL_FLOAT}, {"ws", GL_FLOAT}, {"ad", GL_FLOAT},
        {"draw_mouse_rect", GL_BOOL}, {"mouse_motion_rect", GL_INT_VEC4},
        {"main_window_width", GL_FLOAT}, {"main_window_height", GL_FLOAT}, {"v", GL_FLOAT_VEC2}};
    const std::vector<std::string>& log = callLog();
    ASSERT_FALSE(glObjects().programs.empty());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "current program " + std::to_string(glObjects().programs[0])), log.end());
    int uniforms = 0;
    for (const std::string& entry : log) uniforms += entry.rfind("uniform ", 0) == 0;
    EXPECT_EQ(uniforms, 18);
    for (const InterfaceVariable& variable : expected) {
        std::string entry = std::string(variable.name[0] == 'v' && variable.name[1] == 0 ? "attribute " : "uniform ") +
                            variable.name + " " + std::to_string(variable.type);
        EXPECT_NE(std::find(log.begin(), log.end(), entry), log.end()) << entry;
    }
}

FractalParams distinctParams()
{
    FractalParams p;
    p.theta = 0.25f;
    p.alpha = 0.5f;
    p.max_iterations = 321;
    p.divergence_thresh2 = 12.5f;
    p.c = {-0.75f, 0.125f};
    p.zitrans = {1.5f, -2.25f};
    p.zftrans = {0.375f, 4.0f};
    p.fade = 0.875f;
    p.zzoom = 1.34f;
    p.colormode = 5;
    p.fractalmode = 6;
    p.bgfractalblend = 0.625f;
    p.ws = -0.5f;
    p.ad = 0.25f;
    return p;
}

const int32_t highlightRect[4] = {7, 8, 9, 10};

// One frame with a drawable larger than the window (as on a high-density display) and no
// highlight, one with the window's own size and the highlight shown.
void drawTwoFrames(DisplayState& display, ShaderBindings& bindings)
{
    DisplayState highDensity = display;
    highDensity.drawableWidth = 1280;
    highDensity.drawableHeight = 720;
    callLog().push_back("frames");
    drawFractalFrame(highDensity, bindings, distinctParams(), false, highlightRect);
    drawFractalFrame(display, bindings, distinctParams(), true, highlightRect);
    callLog().push_back("frames end");
}

std::vector<std::string> frameCalls(bool highlight, int width, int height)
{
    return {"glClear(color)",
            "glUniform1f(theta, 0.25)",
            "glUniform1f(alpha, 0.5)",
            "glUniform1i(max_iterations, 321)",
            "glUniform1f(divergence_thresh2, 12.5)",
            "glUniform2fv(c, 1, -0.75 0.125)",
            "glUniform2fv(zitrans, 1, 1.5 -2.25)",
            "glUniform2fv(zftrans, 1, 0.375 4)",
            "glUniform1f(fade, 0.875)",
            "glUniform1f(zzoom, 1.34)",
            "glUniform1i(colormode, 5)",
            "glUniform1i(fractalmode, 6)",
            "glUniform1f(bgfractalblend, 0.625)",
            "glUniform1f(ws, -0.5)",
            "glUniform1f(ad, 0.25)",
            std::string("glUniform1i(draw_mouse_rect, ") + (highlight ? "1)" : "0)"),
            "glUniform4iv(mouse_motion_rect, 1, 7 8 9 10)",
            "glUniform1f(main_window_width, " + std::to_string(width) + ")",
            "glUniform1f(main_window_height, " + std::to_string(height) + ")",
            "glEnableVertexAttribArray(v)",
            "glBindBuffer(array, buffer#1)",
            "glVertexAttribPointer(v, 2, float, not normalised, stride 0, offset 0)",
            "glBindBuffer(element array, buffer#2)",
            "glDrawElements(triangle fan, 4, unsigned int, offset 0)",
            "glFinish",
            "glDisableVertexAttribArray(v)",
            "SDL_GL_SwapWindow"};
}

TEST(FrameDraw, UploadsEveryUniformInOrderThenDrawsWaitsAndSwaps)
{
    sessionBody = drawTwoFrames;
    runRenderer(GlFaultPlan());
    sessionBody = nullptr;
    const std::vector<std::string>& log = callLog();
    auto begin = std::find(log.begin(), log.end(), "frames");
    auto end = std::find(log.begin(), log.end(), "frames end");
    ASSERT_NE(begin, log.end());
    ASSERT_NE(end, log.end());
    std::vector<std::string> drawn(begin + 1, end);
    EXPECT_EQ(drawn, concatenated(frameCalls(false, 1280, 720), frameCalls(true, 64, 48)));
    EXPECT_EQ(glObjects().swappedWindows,
              std::vector<SDL_Window*>(2, testWindow.display.window));
}

}  // namespace
