#include "game/PlaySettings.h"

#include "platform/rtl/IniFiles.h"

namespace {

constexpr const char* kSection = "Play";

// Every setting with its key, so reading and writing cannot drift apart.
template <typename Settings, typename Visit>
void ForEachSetting(Settings& play, Visit visit) {
    visit("Mouse", play.Mouse);
    visit("Counters", play.Counters);
    visit("Redo", play.Redo);
    visit("Hint", play.Hint);
    visit("DeadCells", play.DeadCells);
    visit("LowPower", play.LowPower);
}

} // namespace

TPlaySettings ReadPlaySettings(const rtl::TIniFile& ini) {
    TPlaySettings play; // the defaults
    ForEachSetting(
        play, [&](const char* key, bool& value) { value = ini.ReadBool(kSection, key, value); });
    return play;
}

void WritePlaySettings(rtl::TIniFile& ini, const TPlaySettings& play) {
    ForEachSetting(
        play, [&](const char* key, const bool& value) { ini.WriteBool(kSection, key, value); });
}
