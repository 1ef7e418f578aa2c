/* The synthesised demo track, placed as read-only data in the program image and used in place. */
#include "assets/read_only_data.h"

    READ_ONLY_SECTION
    .balign 16
    .globl quasarineDemoTrackData
    DATA_SYMBOL_TYPE(quasarineDemoTrackData)
quasarineDemoTrackData:
    .incbin "demo_track.f32"
quasarineDemoTrackDataEnd:
    DATA_SYMBOL_SIZE(quasarineDemoTrackData, quasarineDemoTrackDataEnd)

    NO_EXECUTABLE_STACK
