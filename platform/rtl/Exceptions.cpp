#include "platform/rtl/Exceptions.h"

namespace rtl {

void RaiseListIndexError(long long index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void RaiseConvertError(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

} // namespace rtl
