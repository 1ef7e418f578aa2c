# The plain-loop reference fragment shader, embedded as the program's shaders are, and the switch
# that makes the renderer stage compile it: for the identity tests and the frame-cost benchmarks.
set(PLAIN_LOOP_FILE ${PROJECT_SOURCE_DIR}/tests/render/plain_loop.frag)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PLAIN_LOOP_FILE})
file(READ ${PLAIN_LOOP_FILE} PLAIN_LOOP_SOURCE)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/plain_loop_source.cpp @ONLY CONTENT [=[
// Generated from tests/render/plain_loop.frag by tests/render/reference_program.cmake.
extern const char plainLoopFragmentShaderSource[];
extern const char plainLoopFragmentShaderSource[] = R"quasarine_glsl(@PLAIN_LOOP_SOURCE@)quasarine_glsl";
]=])

add_library(render_reference_program STATIC ${PROJECT_SOURCE_DIR}/tests/render/reference_program.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/plain_loop_source.cpp)
target_link_libraries(render_reference_program PUBLIC quasarine_render)
target_link_options(render_reference_program INTERFACE -Wl,--wrap=glewInit)
quasarine_test_options(render_reference_program)
