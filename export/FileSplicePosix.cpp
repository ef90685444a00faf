// Other POSIX systems: no page-to-page way into a file; plain writes do it all.
#include "FileSpliceUnit.h"

std::size_t SpliceIntoFile(int, std::string_view) { return 0; }
