/* The synthesised demo track, placed as read-only data in the program image and used in place. */
    .section .rodata
    .balign 16
    .globl quasarineDemoTrackData
    .type quasarineDemoTrackData, %object
quasarineDemoTrackData:
    .incbin "demo_track.f32"
    .size quasarineDemoTrackData, . - quasarineDemoTrackData

    .section .note.GNU-stack, "", %progbits
