// What the writer's tests need of the system they run on: its error texts,
// its form of file names, a file property that replacing must keep, and a
// descriptor in its text mode. The checks that only one system has live
// beside these, in WriterSystemPosix.cpp and WriterSystemWindows.cpp.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace writertest {

// Why creating a file failed.
enum class TFailure { NotFound, AccessDenied, IsADirectory, NotADirectory, NameTooLong };

// The system's text for the failure, or nothing where the system has no
// such case of its own.
std::optional<std::string> SystemErrorText(TFailure Failure);

// A file name as the core takes it: UTF-8 on Windows, the bytes elsewhere.
std::string CoreName(const std::filesystem::path& Path);

// Makes the file read-only; false where that does not stop this process
// from writing it (root on POSIX).
bool MakeReadOnly(const std::filesystem::path& Path);

// Gives the file a property that replacing it must keep (a mode, an
// attribute), and tells whether it has it.
void MarkFile(const std::filesystem::path& Path);
bool IsMarked(const std::filesystem::path& Path);

// A new file open for writing, in the system's text mode where it has one.
int OpenTextDescriptor(const std::filesystem::path& Path);
void CloseDescriptor(int Descriptor);

}  // namespace writertest
