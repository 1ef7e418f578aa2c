/* Assembler macros that put embedded data into the read-only section of the object format in use. */
#pragma once

#ifdef __ELF__
#define READ_ONLY_SECTION .section .rodata
#define DATA_SYMBOL_TYPE(symbol) .type symbol, %object
#define DATA_SYMBOL_SIZE(symbol, end) .size symbol, end - symbol
#define NO_EXECUTABLE_STACK .section .note.GNU-stack, "", %progbits
#else
/* PE/COFF has no symbol types or sizes; its read-only data section is .rdata. */
#define READ_ONLY_SECTION .section .rdata, "dr"
#define DATA_SYMBOL_TYPE(symbol)
#define DATA_SYMBOL_SIZE(symbol, end)
#define NO_EXECUTABLE_STACK
#endif
