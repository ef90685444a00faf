#include "HeadTextUnit.h"

#include "Utf8Unit.h"

namespace {

// Text cut after Count characters; a byte that starts no well-formed UTF-8
// sequence counts as one character.
std::string_view FirstCharacters(std::string_view Text, std::size_t Count) {
    std::size_t At = 0;
    for (std::size_t Taken = 0; Taken < Count && At < Text.size(); ++Taken) NextUtf8(Text, At);
    return Text.substr(0, At);
}

}  // namespace

std::vector<std::string> SplitHeadText(std::string_view Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos) End = Text.size();
        std::size_t Cut = End;
        if (Cut > Start && Text[Cut - 1] == '\r') --Cut;
        Lines.emplace_back(Text.substr(Start, Cut - Start));
        Start = End + 1;
    }
    return Lines;
}

std::string HeadLinesToEditorText(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& Line : Lines) {
        for (std::size_t i = 0; i < Line.size(); ++i) {
            if (Line[i] != '\r') {
                Text += Line[i];
            } else {
                Text += '\n';
                if (i + 1 < Line.size() && Line[i + 1] == '\n') ++i;
            }
        }
        Text += '\n';
    }
    return Text;
}

std::vector<std::string> EditorTextToHeadLines(std::string_view Text) {
    std::vector<std::string> Lines = SplitHeadText(Text);
    for (std::string& Line : Lines) Line.resize(FirstCharacters(Line, MaxHeadLineLength).size());
    return Lines;
}

std::vector<std::string> HeadTextFileLines(std::string_view Bytes) {
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (Bytes.starts_with(ByteOrderMark)) Bytes.remove_prefix(ByteOrderMark.size());
    return SplitHeadText(Bytes);
}
