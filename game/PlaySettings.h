// The [Play] section of Config.ini: the comforts beside the original play, each on unless the
// player turns it off, and the low-power frame timer, off unless turned on. Keys as written:
//   [Play]
//   Mouse=1, Counters=1, Redo=1, Hint=1, DeadCells=1, LowPower=0
#pragma once

#include "game/GameState.h"

namespace rtl {
class TIniFile;
}

TPlaySettings ReadPlaySettings(const rtl::TIniFile& ini);
// Raises as TIniFile's writes do when the file cannot be replaced.
void WritePlaySettings(rtl::TIniFile& ini, const TPlaySettings& play);
