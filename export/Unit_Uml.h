// Escaping of single-byte (Windows-1252) names for HTML text.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Replacement text per byte value; an empty entry copies the byte unchanged.
extern const std::array<std::string_view, 256> UmlEntities;

std::string UmlToHtml(std::string_view Text);
