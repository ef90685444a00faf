// The user's decimal separator on Linux and other POSIX systems.
#include <clocale>
#include <langinfo.h>
#include <locale.h>

#include "CxfFileUnit.h"

// Only the numeric category is loaded, by the rules the C library applies to
// it (LC_ALL, then LC_NUMERIC, then LANG). The whole user locale, every
// category and facet, would cost a good part of a short command-line run.
// A locale object of its own, read through nl_langinfo_l and freed again,
// leaves the process's global locale alone and is used by no other call, so
// the window may ask from any thread.
char LocaleDecimalSeparator() {
    const locale_t Numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (Numeric == static_cast<locale_t>(0)) return '.';
    const char* Point = ::nl_langinfo_l(RADIXCHAR, Numeric);
    // A separator of several bytes (a UTF-8 character beyond ASCII) would
    // leave a lone lead byte in the position texts.
    const char Separator = Point != nullptr && Point[0] != '\0' && Point[1] == '\0' ? Point[0] : '.';
    ::freelocale(Numeric);
    return Separator;
}
