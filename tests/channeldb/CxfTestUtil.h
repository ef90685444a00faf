#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

namespace testsupport {

inline std::unique_ptr<TCxfFile> LoadImage(const CxfImageBuilder& Builder, char Separator = ',') {
    return std::make_unique<TCxfFile>(std::span<const std::uint8_t>(Builder.Bytes()), Separator);
}

inline std::vector<std::string> ChannelNames(const TCxfFile& File) {
    std::vector<std::string> Names;
    for (const auto& Channel : File.Channels()) Names.push_back(Channel->Name);
    return Names;
}

}  // namespace testsupport
