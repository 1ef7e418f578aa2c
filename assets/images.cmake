# The embedded images: a generator of our own draws them at build time, the assembler embeds them.
# The generator is built under tools/.

# The raw images, redrawn whenever the generator changes.
set(IMAGE_DIR ${CMAKE_CURRENT_BINARY_DIR}/images)
# The file stems, the third column of the image list.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/image_list.h IMAGE_ROWS REGEX "^QUASARINE_IMAGE\\(")
set(IMAGE_NAMES "")
foreach(row ${IMAGE_ROWS})
  string(REGEX REPLACE "^QUASARINE_IMAGE\\([^,]*, *[^,]*, *([a-z_]+),.*" "\\1" stem "${row}")
  list(APPEND IMAGE_NAMES ${stem})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/image_list.h)
list(TRANSFORM IMAGE_NAMES PREPEND ${IMAGE_DIR}/ OUTPUT_VARIABLE IMAGE_FILES)
list(TRANSFORM IMAGE_FILES APPEND .raw)
# The place and cap height of every text on the title, help and controls screens, for the tests.
set(IMAGE_TEXTS ${IMAGE_DIR}/texts.txt)
set_property(GLOBAL PROPERTY QUASARINE_IMAGE_TEXTS ${IMAGE_TEXTS})
add_custom_command(OUTPUT ${IMAGE_FILES} ${IMAGE_TEXTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${IMAGE_DIR}
  COMMAND quasarine_image_generator ${IMAGE_DIR}
  DEPENDS quasarine_image_generator
  COMMENT "Drawing the embedded images")
add_custom_target(quasarine_image_files DEPENDS ${IMAGE_FILES} ${IMAGE_TEXTS})

# The library, whose assembly source includes the raw files and checks their sizes.
configure_file(embedded_images.S.in ${CMAKE_CURRENT_BINARY_DIR}/embedded_images.S @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/embedded_images.S PROPERTIES
  OBJECT_DEPENDS "${IMAGE_FILES}")
add_library(quasarine_images STATIC embedded_images.cpp ${CMAKE_CURRENT_BINARY_DIR}/embedded_images.S)
add_dependencies(quasarine_images quasarine_image_files)
quasarine_code_options(quasarine_images)
