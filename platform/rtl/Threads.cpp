#include "platform/rtl/Threads.h"

namespace rtl {

bool ThreadsAvailable() {
    return true;
}

} // namespace rtl
