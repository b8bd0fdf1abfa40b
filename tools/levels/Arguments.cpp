#include "tools/levels/Arguments.h"

namespace levels {

bool ParseCount(const std::string& text, uint64_t& value) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoull(text);
    return true;
}

bool ParseSize(const std::string& text, uint64_t& width, uint64_t& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && ParseCount(text.substr(0, x), width) &&
           ParseCount(text.substr(x + 1), height);
}

} // namespace levels
