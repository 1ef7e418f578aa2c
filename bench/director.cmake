# Benchmarks of the escape test at its worst case and of one animation frame with and without the
# morph guard; the benchmark supplies its own clock and generator.
add_executable(bench_director director_escape_bench.cpp director_frame_bench.cpp director_clock.cpp)
target_link_libraries(bench_director PRIVATE quasarine_director quasarine_plane benchmark::benchmark)
quasarine_test_options(bench_director)
