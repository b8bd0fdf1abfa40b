// The game's song, made from code: a calm ambient piece of slow pad chords, a low drone, a
// breath of filtered noise and sparse glassy bells with echoes, all in one reverberant space.
//
// Four chords of 22.5 s each make a 90 s loop. The reverb is run around the loop, so the end's
// tail sounds at the start; the piece fades in over its first seconds and out over its last, so
// it starts and stops in silence and the seam of the loop is a quiet breath rather than a click.
// Everything is computed from fixed numbers and one seeded generator: the same program always
// makes the same samples.
#pragma once

#include <cstddef>
#include <vector>

namespace music {

constexpr int kSampleRate = 44100;
constexpr double kSongSeconds = 90.0;

// Interleaved stereo samples, left then right, scaled so the loudest sample is at peak
// (a fraction of full scale).
std::vector<float> RenderSong(double peak);

} // namespace music
