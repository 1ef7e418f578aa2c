# The Speakers source against the default recording device: click-to-analysis latency and CPU time per second of audio.
# A plain program run by scripts/measure_speakers.sh under the private PulseAudio server; not named
# bench_*, since scripts/bench.sh runs those with Google Benchmark's flags.
add_executable(speakers_measure speakers_measure.cpp)
target_link_libraries(speakers_measure PRIVATE quasarine_audio)
quasarine_test_options(speakers_measure)
