// Pictures whose headers lie about their size, for tests and fuzz seeds: small files that claim
// side x side pixels. A reader that trusts the header allocates (and with libjpeg, fills) the
// whole claimed picture before it notices the data is missing. Sides may differ, so a check that
// looks at one side only shows.
#pragma once

#include <cstdint>
#include <vector>

namespace oil {

// A 4 x 4 PNG whose IHDR (with its checksum made right) claims width x height pixels.
std::vector<uint8_t> HugePngHeader(uint32_t width, uint32_t height);
// A 16 x 16 baseline JPEG whose frame header claims width x height pixels.
std::vector<uint8_t> HugeJpegHeader(uint16_t width, uint16_t height);
// A 4 x 4, 24-bit bitmap whose info header claims width x height pixels (bottom-up).
std::vector<uint8_t> HugeBmpHeader(int32_t width, int32_t height);

} // namespace oil
