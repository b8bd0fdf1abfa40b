// The theme the player's settings name, decoded ahead while the program starts its display.
#pragma once

#include "platform/rtl/DecodeAhead.h"

#include <memory>

// Starts decoding the pictures of the theme Config.ini names (beside the program) on threads of
// their own. The form's start-up then reads the theme as ever, with all its checks and messages,
// and finds the pictures it would decode decoded already (see rtl::TDecodeAhead). Made before the
// application's display starts, so that the two go on at once; the application must outlive it,
// as its threads may use SDL's bitmap reader until it is gone.
std::unique_ptr<rtl::TDecodeAhead> DecodeThemeAhead();
