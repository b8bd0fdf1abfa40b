#include "platform/rtl/Storage.h"

namespace rtl {

void RestorePlayerFiles() {}

void KeepPlayerFile(const std::string&, const void*, size_t) {}

} // namespace rtl
