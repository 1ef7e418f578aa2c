# Fragment shaders that the tests and benchmarks substitute for the program's (the plain-loop
# reference here, the benchmarks' bare loop beside them), embedded as the program's shaders are, and
# the switch that makes the renderer stage compile them.

# embed_fragment_shader(FILE SYMBOL OUTPUT): writes OUTPUT, a source defining the zero-terminated
# string SYMBOL with FILE's text; an edit of FILE re-runs the configuration.
function(embed_fragment_shader file symbol output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} SHADER_SOURCE)
  file(RELATIVE_PATH SHADER_FILE ${PROJECT_SOURCE_DIR} ${file})
  set(SHADER_SYMBOL ${symbol})
  file(CONFIGURE OUTPUT ${output} @ONLY CONTENT [=[
// Generated from @SHADER_FILE@ by tests/render/reference_program.cmake.
extern const char @SHADER_SYMBOL@[];
extern const char @SHADER_SYMBOL@[] = R"quasarine_glsl(@SHADER_SOURCE@)quasarine_glsl";
]=])
endfunction()

embed_fragment_shader(${PROJECT_SOURCE_DIR}/tests/render/plain_loop.frag plainLoopFragmentShaderSource
  ${CMAKE_CURRENT_BINARY_DIR}/plain_loop_source.cpp)
add_library(render_reference_program STATIC ${PROJECT_SOURCE_DIR}/tests/render/reference_program.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/plain_loop_source.cpp)
target_link_libraries(render_reference_program PUBLIC quasarine_render)
target_link_options(render_reference_program INTERFACE -Wl,--wrap=glewInit)
quasarine_test_options(render_reference_program)
