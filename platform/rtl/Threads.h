// Whether the program may start threads of its own.
//
// On a desktop it may. The browser build is made without WebAssembly threads, so that the page
// runs from any static host (threads there need cross-origin isolation headers from the
// server); there every piece of work runs on the thread that asks for it: pictures are decoded
// when needed, and songs are decoded on the audio callback.
#pragma once

namespace rtl {

bool ThreadsAvailable();

} // namespace rtl
