# Benchmark of the audio analysis: analyseBuffer and the capture callback per buffer, against the bare
# 1024-point KISS FFT they are built on and against the 23.2 ms buffer period.
add_executable(bench_audio audio_analysis_bench.cpp)
target_link_libraries(bench_audio PRIVATE quasarine_audio benchmark::benchmark)
quasarine_test_options(bench_audio)
