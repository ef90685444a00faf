// The demo .cxf file: a small European satellite line-up that shows every
// feature of the exports (packages, pay-TV, radio, UF flags, umlauts).
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> BuildDemoImage();
