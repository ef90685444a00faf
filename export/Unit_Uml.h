// Escaping of names for HTML text.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "CxfFileUnit.h"

// Replacement text per byte value; an empty entry copies the byte unchanged.
// Every byte from 0x80 up has a replacement, so escaped text is plain ASCII
// apart from what the input held below 0x80.
extern const std::array<std::string_view, 256> UmlEntities;

// Text in Windows-1252 is escaped byte by byte with UmlEntities. Text in
// UTF-8 is escaped by character: below U+0100 as the byte of the same value,
// from U+0100 up as a decimal reference, so the result is plain ASCII too.
std::string UmlToHtml(std::string_view Text, TCharset Charset = TCharset::Windows1252);

// Appends the escaped Text to Out; for callers that build larger texts and
// want to skip the temporary string.
void AppendUmlToHtml(std::string& Out, std::string_view Text, TCharset Charset = TCharset::Windows1252);
