// The permission bits of a file that an export creates where none was.
#pragma once

#include <sys/types.h>

// What the process's file creation mask leaves of 0666, as open() with
// O_CREAT would give.
mode_t NewFileMode();
