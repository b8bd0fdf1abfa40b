#include "platform/win/HostTurn.h"

namespace win {

void GiveHostItsTurn() {}

} // namespace win
