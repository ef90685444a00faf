// The HTML head text as the front-ends edit and read it: a list of lines,
// each of which may itself hold line breaks (CR LF), shown in an editor as
// text with one line per line. All text is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Longest line, in characters, that the editor hands back; longer ones are cut.
inline constexpr std::size_t MaxHeadLineLength = 4096;

// The lines of a text, split at each LF; a CR before the LF, or at the very
// end of the text, belongs to the line break and is dropped (any other CR
// stays in its line), and the empty rest after a final line break is no
// line.
std::vector<std::string> SplitHeadText(std::string_view Text);

// The editor text of a list: every line followed by LF; the line breaks
// inside a line (CR LF or a lone CR) become LF, so it shows as several lines.
std::string HeadLinesToEditorText(const std::vector<std::string>& Lines);

// The list of an editor text: one line per editor line (SplitHeadText),
// each cut to its first MaxHeadLineLength characters, never inside one.
std::vector<std::string> EditorTextToHeadLines(std::string_view Text);

// The list of a head text file: one line per line of the file, which may
// end its lines with LF or CR LF. A byte-order mark in front, which an
// editor may have put there, would end up as stray text inside the page
// head, so it is dropped.
std::vector<std::string> HeadTextFileLines(std::string_view Bytes);
