// A driver without GLSL 1.40: Mesa told to offer only OpenGL 3.0 with GLSL 1.30 must make the
// renderer stop at the vertex shader's compilation with code 23.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/fractal_renderer.h"
#include "tests/render/call_log.h"
#include "tests/render/gl_test_window.h"

namespace {

TEST(GlslVersion, DriverWithoutGlsl140FailsAtTheVertexShader)
{
    // Mesa reads these when it creates its screen and context, so before any window exists. The
    // GLSL override alone does not touch a compatibility context of a higher GL version, and the
    // shader cache would report an earlier successful compilation of the same text as compiled.
    setenv("MESA_GL_VERSION_OVERRIDE", "3.0", 1);
    setenv("MESA_GLSL_VERSION_OVERRIDE", "130", 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    TestWindow test;
    ASSERT_TRUE(openTestWindow(test, 64, 48)) << SDL_GetError();
    const char* version = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::string(version).substr(0, 4), "1.30") << "the override did not take effect";

    FractalRenderer renderer;
    EXPECT_EQ(openFractalRenderer(test.display, renderer), 23);
    EXPECT_EQ(renderer.program, 0u) << "everything made is released";
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].title, "QORB ERROR");
    EXPECT_EQ(recordedBoxes()[0].message, "Fatal Error: Compilation of OpenGL Vertex Shader Failed.");
    EXPECT_EQ(callLog(), std::vector<std::string>({"box: Fatal Error: Compilation of OpenGL Vertex Shader Failed."}));
    closeTestWindow(test);
}

}  // namespace
