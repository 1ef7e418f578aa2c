# Benchmark of the fractal frame on llvmpipe: the program's fragment shader against an earlier one
# and the bare escape loop (the tests' shader substitution is embedded here too when the tests are
# not built).
if(NOT TARGET render_reference_program)
  include(${PROJECT_SOURCE_DIR}/tests/render/reference_program.cmake)
endif()
embed_fragment_shader(${CMAKE_CURRENT_SOURCE_DIR}/bare_loop.frag bareLoopFragmentShaderSource
  ${CMAKE_CURRENT_BINARY_DIR}/bare_loop_source.cpp)
add_executable(bench_render render_frame_bench.cpp ${CMAKE_CURRENT_BINARY_DIR}/bare_loop_source.cpp
  ${PROJECT_SOURCE_DIR}/tests/render/gl_test_window.cpp)
target_link_libraries(bench_render PRIVATE render_reference_program quasarine_render benchmark::benchmark)
target_link_options(bench_render PRIVATE -Wl,--wrap=SDL_GL_SwapWindow)
quasarine_test_options(bench_render)
