// Moving a finished output into a freshly created regular file. Copying it
// in through write() costs several times what the kernel's own page-to-page
// copy does, so where the system offers the latter it is used.
#pragma once

#include <cstddef>
#include <string_view>

// Writes a leading part of Bytes into the regular file open as Fd, at its
// current offset, and returns how many bytes that part has (the file offset
// moves as far). It may be less than all, down to nothing (no such way on
// this system, or a failure); the caller writes the rest by plain writes,
// which also report any error.
std::size_t SpliceIntoFile(int Fd, std::string_view Bytes);
