/* The images built into the program, one row each: the accessor's stem, the data symbol's stem, the
   file's stem, the width and the height in pixels (3 bytes each). Every user defines
   QUASARINE_IMAGE(name, symbol, file, width, height) before it includes this list; the assembler
   source, the accessors, the build's list of files and the generator all read it. */
QUASARINE_IMAGE(icon, Icon, icon, 16, 16)
QUASARINE_IMAGE(title, Title, title, 960, 540)
QUASARINE_IMAGE(help, Help, help, 1920, 1080)
QUASARINE_IMAGE(controls, Controls, controls, 960, 540)
QUASARINE_IMAGE(fontStrip, FontStrip, font_strip, 2976, 32)
QUASARINE_IMAGE(arrowsNormal, ArrowsNormal, arrows_normal, 32, 66)
QUASARINE_IMAGE(arrowsNone, ArrowsNone, arrows_none, 32, 66)
QUASARINE_IMAGE(arrowsTop, ArrowsTop, arrows_top, 32, 66)
QUASARINE_IMAGE(arrowsBottom, ArrowsBottom, arrows_bottom, 32, 66)
QUASARINE_IMAGE(arrowsDownLit, ArrowsDownLit, arrows_down_lit, 32, 66)
QUASARINE_IMAGE(arrowsUpLit, ArrowsUpLit, arrows_up_lit, 32, 66)
