// The head text between list, editor and file.
#include <gtest/gtest.h>

#include "CxfHTMLExporterUnit.h"
#include "HeadTextUnit.h"
#include "TestNames.h"

namespace {

using Lines = std::vector<std::string>;

struct TTextCase {
    const char* Label;
    std::string Text;
    Lines List;
};

void PrintTo(const TTextCase& Case, std::ostream* Out) { *Out << Case.Label; }

class EditorTextToLines : public testing::TestWithParam<TTextCase> {};

TEST_P(EditorTextToLines, OneLinePerEditorLineCutToWholeCharacters) {
    EXPECT_EQ(EditorTextToHeadLines(GetParam().Text), GetParam().List);
}

const std::string Umlaut = "\xC3\xA4";           // two bytes
const std::string Emoji = "\xF0\x9F\x98\x80";    // four bytes, two UTF-16 units

INSTANTIATE_TEST_SUITE_P(
    Texts, EditorTextToLines,
    testing::Values(TTextCase{"Empty", "", {}}, TTextCase{"OneLine", "a", {"a"}},
                    TTextCase{"TwoLines", "a\nb\n", {"a", "b"}}, TTextCase{"EmptyLast", "a\n\n", {"a", ""}},
                    TTextCase{"TabAndUmlaut", "\t" + Umlaut + "\n", {"\t" + Umlaut}},
                    TTextCase{"CutAfter4096", std::string(5000, 'x'), {std::string(4096, 'x')}},
                    TTextCase{"Exactly4096", std::string(4096, 'y') + "\n", {std::string(4096, 'y')}},
                    TTextCase{"UmlautsCountOnce", std::string(4094, 'u') + Umlaut + Umlaut + Umlaut,
                              {std::string(4094, 'u') + Umlaut + Umlaut}},
                    TTextCase{"MultiByteNotSplit", std::string(4095, 'z') + Emoji + "z",
                              {std::string(4095, 'z') + Emoji}}),
    testsupport::LabelName());

class HeadTextFile : public testing::TestWithParam<TTextCase> {};

TEST_P(HeadTextFile, OneLinePerFileLine) { EXPECT_EQ(HeadTextFileLines(GetParam().Text), GetParam().List); }

INSTANTIATE_TEST_SUITE_P(
    Files, HeadTextFile,
    testing::Values(TTextCase{"CrLf", "<title>t</title>\r\n\t<!-- x -->\r\n", {"<title>t</title>", "\t<!-- x -->"}},
                    TTextCase{"MixedEndsAndEmptyLines", "a\r\n\r\nb\n\nc", {"a", "", "b", "", "c"}},
                    TTextCase{"LoneCrStays", "a\rb\n", {"a\rb"}},
                    TTextCase{"CrAtTheEndDropped", "a\n\rb\r", {"a", "\rb"}},
                    TTextCase{"ByteOrderMarkDropped", "\xEF\xBB\xBF" "a\r\n", {"a"}},
                    TTextCase{"LongLineKept", std::string(5000, 'l'), {std::string(5000, 'l')}}),
    testsupport::LabelName());

TEST(HeadText, DefaultHeadTextShowsAsItsLinesAndComesBackTheSame) {
    const Lines Back = EditorTextToHeadLines(HeadLinesToEditorText({DefaultHtmlHeadText}));
    ASSERT_EQ(Back.size(), 22u);
    std::string Joined = Back[0];
    for (std::size_t i = 1; i < Back.size(); ++i) Joined += "\r\n" + Back[i];
    EXPECT_EQ(Joined, DefaultHtmlHeadText);
    EXPECT_EQ(HeadLinesToEditorText({"a", "", "b\rc", "d\r\ne"}), "a\n\nb\nc\nd\ne\n");
}

}  // namespace
