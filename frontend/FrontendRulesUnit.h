// Rules that every front-end (the window, the page, the command line)
// applies in the same way: the text of an error box, the default decimal
// separator, the names and bits of the exclusion options and the kinds of
// message a run shows. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "CxfFileUnit.h"

// An error's text as the error box shows it: a full stop is appended when
// the last character comes after the full stop in the character set.
std::string ErrorBoxText(std::string Message);

// The byte that a decimal separator given as one character has in the
// position texts: printable ASCII or U+00A0 to U+00FF, the characters with
// the same single byte in Windows-1252 and Latin-1. Nothing for any other
// text.
std::optional<char> DecimalSeparatorByte(std::string_view Character);

// The decimal separator a front-end starts with, from the separator of the
// user's locale: that character where it has a byte (DecimalSeparatorByte),
// else Fallback.
char DefaultDecimalSeparator(std::string_view LocaleSeparator, char Fallback);

// The four exclusion options as bits of one number, as the command line and
// the page gather them from the names.
enum TExclusionBit : unsigned {
    ebChannelUF = 1u << 0,
    ebChannelVPID = 1u << 1,
    ebTransponderUF = 1u << 2,
    ebSatelliteUF = 1u << 3,
};
inline constexpr unsigned AllExclusions = ebChannelUF | ebChannelVPID | ebTransponderUF | ebSatelliteUF;

// The bits of an exclusion's name, as the command line's --exclude and the
// page's check boxes call them: "channel-uf", "channel-vpid",
// "transponder-uf", "satellite-uf", or "all" for the four. 0 for any other
// name.
unsigned ExclusionBits(std::string_view Name);

// Those names as a user reads them in a list: "channel-uf, channel-vpid,
// transponder-uf, satellite-uf or all".
std::string ExclusionNamesText();

// Sets the options' four exclusion flags from the bits.
void SetExclusions(TExportOptions& Options, unsigned Bits);

// What kind of message box a run asked for.
enum TMessageKind : int { mkNone = 0, mkError = 1, mkInformation = 2 };

// The kind's name as the page's message box takes it: "error",
// "information", or "" for none.
const char* MessageKindName(TMessageKind Kind);
