// The user's decimal separator on Windows, from the C++ library's locale.
#include <locale>

#include "CxfFileUnit.h"

char LocaleDecimalSeparator() {
    try {
        const std::locale User("");
        const char Separator = std::use_facet<std::numpunct<char>>(User).decimal_point();
        return Separator == '\0' ? '.' : Separator;
    } catch (const std::exception&) {
        return '.';
    }
}
