#include "platform/rtl/Threads.h"

namespace rtl {

bool ThreadsAvailable() {
    return false;
}

} // namespace rtl
