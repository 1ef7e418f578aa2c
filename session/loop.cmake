# The session loop and its input handling. The libraries it calls (director, overlays, renderer, audio
# streams) are linked by the program after it, or replaced by the substitutes of a test.
add_library(quasarine_session STATIC
  session_loop.cpp
  input_handling.cpp
  input_keys.cpp
  input_mouse.cpp
  input_sources.cpp
  input_view.cpp)
target_link_libraries(quasarine_session PUBLIC
  PkgConfig::SDL2 PkgConfig::GLEW OpenGL::GL PkgConfig::PORTAUDIO PkgConfig::KISSFFT quasarine_shell
  quasarine_sound_sources)
quasarine_code_options(quasarine_session)
