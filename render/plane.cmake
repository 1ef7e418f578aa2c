# Plane mapping and escape test: pure functions shared by the camera moves and the morph guard.
add_library(quasarine_plane STATIC plane_mapping.cpp)
target_link_libraries(quasarine_plane PUBLIC m)
quasarine_code_options(quasarine_plane)
