// The message loop's courtesy to whatever hosts the program.
//
// While the frame timer keeps the loop spinning, a desktop program owns its thread and runs on.
// A browser page shares its thread with the browser, which draws the canvas, delivers input and
// plays audio only while the program is paused: there each spin of the loop waits for the
// page's next animation frame, so the game runs at the display's pace (the frame timer still
// caps it and measures its own Delta) and never spins between frames.
#pragma once

namespace win {

void GiveHostItsTurn();

} // namespace win
