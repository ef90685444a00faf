// What the export run and zanvero-cli ask of the file system about files
// and directories, with one implementation per operating system. Names are
// UTF-8 on Windows and taken byte for byte on Linux.
#pragma once

#include <string>

bool DirectoryExists(const std::string& Name);

// True when Name denotes something that exists and is not a directory.
bool FileExists(const std::string& Name);

// Creates the directory with its missing parents. True when Name is a
// directory afterwards; otherwise Reason, when given, gets the system's text
// for what stood in the way.
bool ForceDirectories(const std::string& Name, std::string* Reason = nullptr);

// The directory part of a file name, empty when it has none.
std::string ParentDirectory(const std::string& FileName);
