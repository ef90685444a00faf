// Where the core's UTF-8 paths and texts meet the UTF-16 Windows API.
// Windows builds only.
#pragma once

#include <optional>
#include <string>

// The UTF-16 form of a UTF-8 text; nothing when Text is not valid UTF-8.
std::optional<std::wstring> WideFromUtf8(const std::string& Text);

std::string Utf8FromWide(const std::wstring& Text);

// The system's text for a Win32 error code, in the user's language, without
// its line end and closing full stop (the message box adds one).
std::string SystemErrorMessage(unsigned long Code);

// The absolute form of Path with "\" separators, or Path itself when the
// system cannot give one.
std::wstring FullPathName(const std::wstring& Path);
