#include "platform/rtl/Numbers.h"

#include "platform/rtl/Exceptions.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace rtl {

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        RaiseConvertError(text);
    return value;
}

int32_t StrToIntDef(const std::string& text, int32_t fallback) {
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

int64_t Round(double value) {
    // nearbyint follows the current rounding mode; pin it so a library that changed the mode
    // cannot change how the game rounds.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return static_cast<int64_t>(r);
}

int64_t Trunc(double value) {
    return static_cast<int64_t>(std::trunc(value));
}

int64_t RoundAway(double value) {
    const double shifted = value >= 0 ? value + 0.5 : value - 0.5;
    // The scaled value is rounded to an integer first and only then divided: this is what lets
    // 2.49996 reach 3. Integer division truncates toward zero, as the rule wants.
    return Round(shifted * 10000.0) / 10000;
}

} // namespace rtl
