#include "WindowsTextUnit.h"

#include <windows.h>

#include <climits>

std::optional<std::wstring> WideFromUtf8(const std::string& Text) {
    if (Text.empty()) return std::wstring();
    if (Text.size() > INT_MAX) return std::nullopt;
    const int Size = static_cast<int>(Text.size());
    const int Length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), Size, nullptr, 0);
    if (Length <= 0) return std::nullopt;
    std::wstring Wide(static_cast<std::size_t>(Length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), Size, Wide.data(), Length);
    return Wide;
}

std::string Utf8FromWide(const std::wstring& Text) {
    if (Text.empty() || Text.size() > INT_MAX) return {};
    const int Size = static_cast<int>(Text.size());
    const int Length = ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, nullptr, 0, nullptr, nullptr);
    if (Length <= 0) return {};
    std::string Narrow(static_cast<std::size_t>(Length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, Narrow.data(), Length, nullptr, nullptr);
    return Narrow;
}

std::string SystemErrorMessage(unsigned long Code) {
    wchar_t* Buffer = nullptr;
    const DWORD Length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, Code,
        0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
    std::wstring Text = Length > 0 && Buffer != nullptr ? std::wstring(Buffer, Length) : std::wstring();
    if (Buffer != nullptr) ::LocalFree(Buffer);
    while (!Text.empty() && (Text.back() <= L' ' || Text.back() == L'.')) Text.pop_back();
    if (Text.empty()) return "System error " + std::to_string(Code);
    return Utf8FromWide(Text);
}

std::wstring FullPathName(const std::wstring& Path) {
    const DWORD Needed = ::GetFullPathNameW(Path.c_str(), 0, nullptr, nullptr);
    if (Needed == 0) return Path;
    std::wstring Full(Needed, L'\0');
    const DWORD Length = ::GetFullPathNameW(Path.c_str(), Needed, Full.data(), nullptr);
    if (Length == 0 || Length >= Needed) return Path;
    Full.resize(Length);
    return Full;
}
