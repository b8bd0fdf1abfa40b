#include "platform/win/HostTurn.h"

#include <emscripten.h>

namespace win {

namespace {

// Suspends the program (the asynchronous-call transformation unwinds and later rewinds its
// stack) until the browser calls for the next animation frame. The page's benchmark and test
// read the count of turns and the time of the first (the first frame is on the canvas by then).
// clang-format would take the JavaScript for C++ and break its "=>" and "===".
// clang-format off
EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    Module.kosmorraFrames = (Module.kosmorraFrames || 0) + 1;
    if (Module.kosmorraFirstFrame === undefined)
        Module.kosmorraFirstFrame = performance.now();
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});
// clang-format on

} // namespace

void GiveHostItsTurn() {
    WaitForAnimationFrame();
}

} // namespace win
