# Benchmark of the fractal frame on llvmpipe, the program's fragment shader against the plain-loop
# reference of the tests (embedded here too when the tests are not built).
if(NOT TARGET render_reference_program)
  include(${PROJECT_SOURCE_DIR}/tests/render/reference_program.cmake)
endif()
add_executable(bench_render render_frame_bench.cpp ${PROJECT_SOURCE_DIR}/tests/render/gl_test_window.cpp)
target_link_libraries(bench_render PRIVATE render_reference_program quasarine_render quasarine_director
  benchmark::benchmark)
quasarine_test_options(bench_render)
