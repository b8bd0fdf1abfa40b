// The progress file: one byte per level, non-zero once the level is won. Free of the engine, so
// the fuzzers can run it.
#pragma once

#include "game/GameState.h"
#include "platform/rtl/Streams.h"

#include <array>
#include <cstdint>

using TProgress = std::array<uint8_t, kProgressSize>;

// What the stream holds from its position, up to one byte per level. A file of the wrong size
// gives what it has: a short one counts the rest as not won, the tail of a long one is ignored.
TProgress ReadProgressBytes(rtl::TStream& stream);
