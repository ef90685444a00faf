#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

namespace testsupport {

inline std::vector<std::string> ChannelNames(const TCxfFile& File) {
    std::vector<std::string> Names;
    for (const auto& Channel : File.Channels()) Names.push_back(Channel->Name);
    return Names;
}

}  // namespace testsupport
