// Keeps glibc's freed heap between repeated loads and exports.
#pragma once

#include <malloc.h>

// A load frees some hundred kilobytes at once. glibc hands a free heap top of
// more than 128 KB back to the system, so repeated loads would each grow the
// heap again and fault in fresh pages, or not, depending only on where small
// freed blocks happen to stay cached. Keeping the heap makes every iteration
// measure the code; a program run loads once. Setting one threshold fixes the
// other at its default, so the outputs' large buffers would be mapped afresh,
// and faulted in, for every export: both are set.
inline void KeepHeap() {
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
}
