// Pictures whose headers lie about their size, for tests and fuzz seeds: small files that claim
// side x side pixels. A reader that trusts the header allocates (and with libjpeg, fills) the
// whole claimed picture before it notices the data is missing.
#pragma once

#include <cstdint>
#include <vector>

namespace oil {

// A 4 x 4 PNG whose IHDR (with its checksum made right) claims side x side pixels.
std::vector<uint8_t> HugePngHeader(uint32_t side);
// A 16 x 16 baseline JPEG whose frame header claims side x side pixels.
std::vector<uint8_t> HugeJpegHeader(uint16_t side);

} // namespace oil
