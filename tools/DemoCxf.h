// The demo .cxf file: a small European satellite line-up that shows every
// feature of the exports (packages, pay-TV, radio, UF flags, umlauts).
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> BuildDemoImage();

// The same receiver after a later channel scan, for comparing two backups:
// channels renamed, gone, new and made visible, a package renamed, a
// transponder retuned, new PIDs. Every other record stays where it was.
std::vector<std::uint8_t> BuildChangedDemoImage();
