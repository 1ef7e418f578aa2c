# The frame clock preloaded into the program by scripts/measure_frames.py. Never sanitized: a
# sanitizer's runtime must come first in the process, before any preloaded library.
add_library(frame_clock_preload SHARED frame_clock_preload.c)
target_compile_options(frame_clock_preload PRIVATE -Wall -Wextra)
target_link_libraries(frame_clock_preload PRIVATE ${CMAKE_DL_LIBS})
