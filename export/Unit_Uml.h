// Escaping of single-byte (Windows-1252) names for HTML text.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Replacement text per byte value; an empty entry copies the byte unchanged.
// Every byte from 0x80 up has a replacement, so escaped text is plain ASCII
// apart from what the input held below 0x80.
extern const std::array<std::string_view, 256> UmlEntities;

std::string UmlToHtml(std::string_view Text);

// Appends the escaped Text to Out; for callers that build larger texts and
// want to skip the temporary string.
void AppendUmlToHtml(std::string& Out, std::string_view Text);
