// The numbers of the level tool's command lines: "generate" and "evolve" read them alike.
#pragma once

#include <cstdint>
#include <string>

namespace levels {

// A whole decimal number of at most 18 digits, so that it always fits.
bool ParseCount(const std::string& text, uint64_t& value);

// "WxH": two such numbers.
bool ParseSize(const std::string& text, uint64_t& width, uint64_t& height);

} // namespace levels
