#include "TestProcess.h"

#include "CxfImageBuilder.h"

namespace testsupport {

namespace fs = std::filesystem;

std::set<std::string> DirectorySnapshot(const fs::path& Dir) {
    std::set<std::string> Entries;
    for (const auto& Entry : fs::recursive_directory_iterator(Dir)) {
        std::string Line = Entry.path().lexically_relative(Dir).generic_string();
        if (Entry.is_regular_file() && !Entry.is_symlink()) {
            Line += '=';
            Line += ReadFileBytes(Entry.path());
        }
        Entries.insert(Line);
    }
    return Entries;
}

}  // namespace testsupport
