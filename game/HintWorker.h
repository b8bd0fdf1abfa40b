// The hint search on a thread of its own, so that a frame never waits for the solver.
//
// The worker starts searching when it is made. The game looks at Done() once a frame and takes
// the result then; Cancel() asks the search to give up (it looks at the flag every few hundred
// positions, well within a millisecond). The destructor cancels and waits for the thread, so a
// worker being dropped costs at most that millisecond; the game keeps cancelled workers aside
// until they are done to spare the frame even that.
#pragma once

#include "puzzle/Hint.h"

#include <atomic>
#include <thread>

class THintWorker {
public:
    THintWorker(const puzzle::Board& board, puzzle::Level position,
                const puzzle::HintOptions& options);
    ~THintWorker();
    THintWorker(const THintWorker&) = delete;
    THintWorker& operator=(const THintWorker&) = delete;

    bool Done() const { return FDone.load(std::memory_order_acquire); }
    // Valid once Done().
    const puzzle::Hint& Result() const { return FResult; }
    void Cancel() { FCancel.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> FCancel{false};
    std::atomic<bool> FDone{false};
    puzzle::Hint FResult;
    std::thread FThread; // not running where the program may not start threads
};
