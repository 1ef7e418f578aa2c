# Windows builds: settings that differ from the native Linux build, kept in this one place.

# The tests and benchmarks run natively; the Windows program is tested as a package under Wine.
set(QUASARINE_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(QUASARINE_BUILD_BENCHMARKS OFF CACHE BOOL "" FORCE)

# SDL's pkg-config file for MinGW renames main to SDL_main and links SDL2main, whose WinMain would
# call it. The program has a plain main (the MinGW runtime calls it in a GUI program too) and tells
# SDL so itself, so both go.
get_target_property(sdl_options PkgConfig::SDL2 INTERFACE_COMPILE_OPTIONS)
list(FILTER sdl_options EXCLUDE REGEX "^-Dmain=SDL_main$")
set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_COMPILE_OPTIONS "${sdl_options}")
get_target_property(sdl_libraries PkgConfig::SDL2 INTERFACE_LINK_LIBRARIES)
list(FILTER sdl_libraries EXCLUDE REGEX "SDL2main")
set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_LINK_LIBRARIES "${sdl_libraries}")
