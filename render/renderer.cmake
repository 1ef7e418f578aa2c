# Fractal renderer library: the shader program, the quad and the per-frame draw, with the two
# shader sources embedded as zero-terminated strings.

# The shaders are read at configure time; naming them as configure dependencies makes any edit
# re-run the configuration and so regenerate the embedded copy.
set(FRACTAL_VERTEX_FILE ${CMAKE_CURRENT_SOURCE_DIR}/fractal.vert)
set(FRACTAL_FRAGMENT_FILE ${CMAKE_CURRENT_SOURCE_DIR}/fractal.frag)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${FRACTAL_VERTEX_FILE} ${FRACTAL_FRAGMENT_FILE})
file(READ ${FRACTAL_VERTEX_FILE} VERTEX_SOURCE)
file(READ ${FRACTAL_FRAGMENT_FILE} FRAGMENT_SOURCE)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/shader_sources.cpp @ONLY CONTENT [=[
// Generated from render/fractal.vert and render/fractal.frag by render/renderer.cmake.
#include "render/shader_sources.h"

extern const char fractalVertexShaderSource[] = R"quasarine_glsl(@VERTEX_SOURCE@)quasarine_glsl";

extern const char fractalFragmentShaderSource[] = R"quasarine_glsl(@FRAGMENT_SOURCE@)quasarine_glsl";
]=])

add_library(quasarine_render STATIC fractal_renderer.cpp frame_grab.cpp video_frame.cpp ${CMAKE_CURRENT_BINARY_DIR}/shader_sources.cpp)
target_link_libraries(quasarine_render PUBLIC PkgConfig::GLEW OpenGL::GL PkgConfig::SDL2 quasarine_shell)
quasarine_code_options(quasarine_render)
