#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

namespace testsupport {

// The message of the load of FileName, "(no error)" when it loads.
inline std::string LoadError(const std::string& FileName) {
    try {
        TCxfFile File(FileName, ',');
    } catch (const ECxfError& Error) {
        return Error.what();
    }
    return "(no error)";
}

inline std::vector<std::string> ChannelNames(const TCxfFile& File) {
    std::vector<std::string> Names;
    for (const auto& Channel : File.Channels()) Names.push_back(Channel->Name);
    return Names;
}

}  // namespace testsupport
