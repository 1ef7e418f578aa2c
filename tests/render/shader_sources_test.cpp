// The embedded shader texts are exactly the shader files of the source tree.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "render/shader_sources.h"

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(ShaderSources, EmbeddedTextsAreTheShaderFiles)
{
    std::string vertex = fileText(QUASARINE_RENDER_DIR "/fractal.vert");
    std::string fragment = fileText(QUASARINE_RENDER_DIR "/fractal.frag");
    ASSERT_FALSE(vertex.empty());
    ASSERT_FALSE(fragment.empty());
    EXPECT_EQ(fractalVertexShaderSource, vertex);
    EXPECT_EQ(fractalFragmentShaderSource, fragment);
    EXPECT_EQ(vertex.rfind("#version 140\n", 0), 0u);
    EXPECT_EQ(fragment.rfind("#version 140\n", 0), 0u);
}

}  // namespace
