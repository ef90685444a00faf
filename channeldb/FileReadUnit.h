// The loader's one contact with the file system: reading the start of a
// file, with one implementation per operating system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "CxfFileUnit.h"

// Fills Buffer from the start of the named file and returns how many bytes
// it got (fewer than Buffer holds only when the file is shorter). A file
// that cannot be opened or read throws EInOutError with its text: "File not
// found", "Invalid filename", "Too many open files", "File access denied"
// (a directory too), or "I/O error %d" with the system's error number. A name
// that stands for a device, a pipe or a socket throws SpecialFileError
// before anything reads from it or waits on it. On Windows the name is
// UTF-8; on Linux it is taken byte for byte.
std::size_t ReadFileStart(const std::string& FileName, std::span<std::uint8_t> Buffer);

// What a name can stand for besides a regular file or a directory.
enum class TSpecialFile { Device, Pipe, Socket };

// The refusal of a special file, with its German text.
ENotCxfFileError SpecialFileError(TSpecialFile Kind);
