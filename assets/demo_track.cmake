# The demo track: synthesised at build time by a generator of our own, embedded as read-only data.
# The generator is built under tools/.

set(DEMO_TRACK_DATA ${CMAKE_CURRENT_BINARY_DIR}/demo_track.f32)
add_custom_command(OUTPUT ${DEMO_TRACK_DATA}
  COMMAND demo_track_generator ${DEMO_TRACK_DATA}
  DEPENDS demo_track_generator
  COMMENT "Synthesising the demo track")

# The assembler finds the block through its include path; listing the block as a source ties the
# generating command to this library, and OBJECT_DEPENDS reassembles when it changes.
add_library(quasarine_demo_track STATIC demo_track.S demo_track_samples.cpp ${DEMO_TRACK_DATA})
set_source_files_properties(demo_track.S PROPERTIES OBJECT_DEPENDS ${DEMO_TRACK_DATA})
set_source_files_properties(${DEMO_TRACK_DATA} PROPERTIES HEADER_FILE_ONLY TRUE)
target_compile_options(quasarine_demo_track PRIVATE
  $<$<COMPILE_LANGUAGE:ASM>:-Wa,-I${CMAKE_CURRENT_BINARY_DIR}>)
# Only for the headers that the declaration of demoTrackSamples pulls in.
target_link_libraries(quasarine_demo_track PRIVATE PkgConfig::PORTAUDIO PkgConfig::KISSFFT PkgConfig::SDL2)
quasarine_code_options(quasarine_demo_track)
