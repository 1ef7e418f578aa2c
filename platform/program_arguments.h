// The program's arguments in UTF-8, the encoding every file name is handled in.
#pragma once

// argv as UTF-8 for the whole run. Windows hands argv over in the ANSI code page, which loses every
// character outside it (a song named in Greek or Japanese), so there the wide command line is read
// again; elsewhere argv is UTF-8 already and comes back as it is.
const char* const* utf8Arguments(int argc, char** argv);
