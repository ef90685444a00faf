// Names of the cases of parameterised tests, made from a label that each case
// carries, so that a case keeps its name from build to build and a failure
// in a log can be found by it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

#include "CxfFileUnit.h"

// Found by argument-dependent lookup, so it sits beside TCharset.
inline void PrintTo(TCharset Charset, std::ostream* Out) {
    *Out << (Charset == TCharset::Utf8 ? "Utf8" : "Windows1252");
}

namespace testsupport {

// "one pixel past the right edge" -> "OnePixelPastTheRightEdge": letters and
// digits only, as test names must be, each word starting in upper case.
inline std::string TestName(std::string_view Label) {
    std::string Name;
    bool WordStart = true;
    for (const char C : Label) {
        const unsigned char U = static_cast<unsigned char>(C);
        if (U >= 0x80 || !std::isalnum(U)) {
            WordStart = true;
            continue;
        }
        Name += WordStart ? static_cast<char>(std::toupper(U)) : C;
        WordStart = false;
    }
    return Name;
}

// The name generator of INSTANTIATE_TEST_SUITE_P for cases with a Label.
struct LabelName {
    template <class TCase>
    std::string operator()(const testing::TestParamInfo<TCase>& Info) const {
        return TestName(Info.param.Label);
    }
};

}  // namespace testsupport
