# Animation director, preset table and camera moves; the program supplies the clock and generator.
add_library(quasarine_director STATIC
  animation_director.cpp director_chances.cpp director_sound.cpp director_motion.cpp
  director_scene.cpp director_bounds.cpp presets.cpp camera_moves.cpp)
# The audio record's header pulls in the KISS FFT and PortAudio declarations; only SDL is linked for
# the display record.
target_link_libraries(quasarine_director PUBLIC quasarine_plane PkgConfig::SDL2 PkgConfig::KISSFFT)
target_include_directories(quasarine_director PUBLIC ${PORTAUDIO_INCLUDE_DIRS})
quasarine_code_options(quasarine_director)
