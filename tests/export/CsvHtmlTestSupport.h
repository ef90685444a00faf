// Helpers shared by the CSV, HTML and escaping tests.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

namespace exporttest {


// Loaded databases use "," as decimal separator, as on a German system.
using testsupport::LoadImage;

inline TExportOptions OptionsFor(std::unique_ptr<TCxfFile>& Database) {
    TExportOptions Options;
    Options.CxfFile = &Database;
    return Options;
}

// First word of a transponder record.
constexpr std::uint16_t TpWord(std::uint16_t Frequency, std::uint16_t Polarisation) {
    return static_cast<std::uint16_t>(Frequency | (Polarisation << 14));
}

// Splits at CR LF; a text that ends with CR LF gives no empty last piece.
inline std::vector<std::string> SplitLines(std::string_view Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find("\r\n", Start);
        if (End == std::string_view::npos) {
            Lines.emplace_back(Text.substr(Start));
            break;
        }
        Lines.emplace_back(Text.substr(Start, End - Start));
        Start = End + 2;
    }
    return Lines;
}

}  // namespace exporttest
