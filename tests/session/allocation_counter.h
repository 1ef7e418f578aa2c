// Counts heap allocations made through the statically linked code (program libraries and test) while on.
#pragma once

// The wrapped allocation functions (malloc, calloc, realloc, aligned allocations, strdup and the
// operators new) count only while counting is on; the shared libraries' own allocations never pass here.
void startCountingAllocations();
void stopCountingAllocations();
int countedAllocations();
