# Overlay screens: textures from the embedded images, the selector, the bitmap-font text and the
# per-frame screen choice. The device enumeration it reads comes from the program's link group (or a
# test's substitutes); the KISS FFT flags are here for the shared audio record's header.
add_library(quasarine_overlays STATIC overlays.cpp overlay_text.cpp overlay_screens.cpp)
target_link_libraries(quasarine_overlays PUBLIC
  PkgConfig::SDL2 PkgConfig::PORTAUDIO PkgConfig::KISSFFT quasarine_images quasarine_sound_sources)
quasarine_code_options(quasarine_overlays)
