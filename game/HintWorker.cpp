#include "game/HintWorker.h"

#include "platform/rtl/Threads.h"

#include <utility>

namespace {

puzzle::HintOptions WithCancel(puzzle::HintOptions options, const std::atomic<bool>* cancel) {
    options.Cancel = cancel;
    return options;
}

} // namespace

THintWorker::THintWorker(const puzzle::Board& board, puzzle::Level position,
                         const puzzle::HintOptions& options) {
    auto search = [this, board, position = std::move(position),
                   options = WithCancel(options, &FCancel)] {
        FResult = puzzle::FindHint(board, position, options);
        FDone.store(true, std::memory_order_release);
    };
    // Where the program may not start threads (the browser build), the search runs here and the
    // frame that asked waits for it: under a second for the shipped levels' starts.
    if (rtl::ThreadsAvailable())
        FThread = std::thread(std::move(search));
    else
        search();
}

THintWorker::~THintWorker() {
    Cancel();
    if (FThread.joinable())
        FThread.join();
}
