#include "game/HintWorker.h"

#include <utility>

namespace {

puzzle::HintOptions WithCancel(puzzle::HintOptions options, const std::atomic<bool>* cancel) {
    options.Cancel = cancel;
    return options;
}

} // namespace

THintWorker::THintWorker(const puzzle::Board& board, puzzle::Level position,
                         const puzzle::HintOptions& options)
    : FThread(
          [this, board, position = std::move(position), options = WithCancel(options, &FCancel)] {
              FResult = puzzle::FindHint(board, position, options);
              FDone.store(true, std::memory_order_release);
          }) {}

THintWorker::~THintWorker() {
    Cancel();
    FThread.join();
}
