#include "platform/rtl/DecodeAhead.h"

#include "platform/rtl/Threads.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace rtl {

namespace {

// Set on the threads of a decode-ahead, which never wait for their own results.
thread_local bool tDecodingAhead = false;

// A picture of a TDecodeAhead. Entries are made all at once when the reading is done and never
// move after that; only their state (and, with it, who may touch the rest) changes, under the
// lock.
struct TAheadEntry {
    enum class TState {
        Waiting,  // nobody decodes it yet
        Decoding, // a thread of the decode-ahead decodes it, outside the lock
        Decoded,  // Pixels hold the result
        Failed,   // did not decode (or threw): left for the ordinary decode to report
        Taken,    // handed over, or left to a caller to decode: freed
    };
    std::unique_ptr<TGraphic> Graphic;
    TPixels Pixels;
    TState State = TState::Waiting;
};

// The decode-ahead of the process, if one lives.
struct TAhead {
    std::mutex Lock;
    std::condition_variable Changed;
    std::atomic<bool> Active{false}; // a TDecodeAhead lives: lookups are worth the lock
    bool Listed = false;             // the reading is over: Entries are all there will be
    bool Stopping = false;
    std::vector<TAheadEntry> Entries;
};

TAhead& Ahead() {
    static TAhead ahead;
    return ahead;
}

// Decodes waiting entries until none is left or the decode-ahead stops.
void DecodeWaiting() {
    TAhead& ahead = Ahead();
    std::unique_lock lock(ahead.Lock);
    while (!ahead.Stopping) {
        const auto entry =
            std::find_if(ahead.Entries.begin(), ahead.Entries.end(), [](const TAheadEntry& e) {
                return e.State == TAheadEntry::TState::Waiting;
            });
        if (entry == ahead.Entries.end())
            return;
        entry->State = TAheadEntry::TState::Decoding;
        const TGraphic& graphic = *entry->Graphic;
        lock.unlock();
        TPixels pixels;
        std::string error;
        bool decoded = false;
        try {
            decoded = graphic.DecodeInto(pixels, error);
        } catch (...) {
            decoded = false; // out of memory, most likely: the ordinary decode will meet it too
        }
        lock.lock();
        entry->State = decoded ? TAheadEntry::TState::Decoded : TAheadEntry::TState::Failed;
        entry->Pixels = std::move(pixels);
        ahead.Changed.notify_all();
    }
}

// The first thread of a decode-ahead: reads, lists, then decodes with the others.
void RunAhead(const TDecodeAhead::TReadGraphics& read, unsigned threads) {
    tDecodingAhead = true;
    TAhead& ahead = Ahead();
    std::vector<TAheadEntry> entries;
    try {
        const TQuietPictures quiet;
        for (std::unique_ptr<TGraphic>& graphic : read())
            if (graphic && graphic->CanDecode() && !graphic->FileBytes().empty())
                entries.push_back(
                    TAheadEntry{std::move(graphic), {}, TAheadEntry::TState::Waiting});
    } catch (...) {
        entries.clear(); // whatever went wrong, the ordinary reading will say
    }
    {
        const std::lock_guard lock(ahead.Lock);
        ahead.Entries = std::move(entries);
        ahead.Listed = true;
    }
    ahead.Changed.notify_all();

    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 1; i < threads && i < ahead.Entries.size(); ++i)
            helpers.emplace_back([] {
                tDecodingAhead = true;
                DecodeWaiting();
                // SDL (the bitmap reader) keeps per-thread data such as its error text; a
                // thread SDL did not make must hand it back itself.
                SDL_TLSCleanup();
            });
    } catch (const std::system_error&) {
        // Fewer threads: the work is the same, only slower.
    }
    DecodeWaiting();
    for (std::thread& helper : helpers)
        helper.join();
    SDL_TLSCleanup();
}

} // namespace

bool TakeDecodedAhead(const TGraphic& graphic, TPixels& pixels) {
    TAhead& ahead = Ahead();
    if (!ahead.Active || tDecodingAhead)
        return false;
    std::unique_lock lock(ahead.Lock);
    ahead.Changed.wait(lock, [&] { return ahead.Listed || ahead.Stopping; });
    const std::string className = graphic.ClassName();
    for (;;) {
        const auto entry =
            std::find_if(ahead.Entries.begin(), ahead.Entries.end(), [&](const TAheadEntry& e) {
                return e.State != TAheadEntry::TState::Taken &&
                       e.Graphic->FileBytes() == graphic.FileBytes() &&
                       e.Graphic->ClassName() == className;
            });
        if (entry == ahead.Entries.end())
            return false;
        if (entry->State == TAheadEntry::TState::Decoding) {
            ahead.Changed.wait(lock);
            continue;
        }
        // A waiting entry is the caller's to decode, now rather than after the others; a failed
        // one is decoded again so that the caller says what is wrong with it.
        const bool decoded = entry->State == TAheadEntry::TState::Decoded;
        if (decoded)
            pixels = std::move(entry->Pixels);
        entry->State = TAheadEntry::TState::Taken;
        entry->Graphic.reset();
        entry->Pixels = TPixels();
        return decoded;
    }
}

TDecodeAhead::TDecodeAhead(TReadGraphics read) {
    TAhead& ahead = Ahead();
    {
        const std::lock_guard lock(ahead.Lock);
        if (ahead.Active)
            return;
        ahead.Active = true;
        ahead.Listed = false;
        ahead.Stopping = false;
        ahead.Entries.clear();
    }
    FStarted = true;
    if (!ThreadsAvailable()) {
        const std::lock_guard lock(ahead.Lock);
        ahead.Listed = true; // nothing ahead: every picture is decoded the ordinary way
        return;
    }
    // One core is left to the thread that goes on starting the program.
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned threads = cores > 2 ? cores - 1 : 1;
    try {
        FThread = std::thread([read = std::move(read), threads] { RunAhead(read, threads); });
    } catch (const std::system_error&) {
        const std::lock_guard lock(ahead.Lock);
        ahead.Listed = true; // nothing ahead: every picture is decoded the ordinary way
    }
}

TDecodeAhead::~TDecodeAhead() {
    if (!FStarted)
        return;
    TAhead& ahead = Ahead();
    {
        const std::lock_guard lock(ahead.Lock);
        ahead.Stopping = true;
    }
    ahead.Changed.notify_all();
    if (FThread.joinable())
        FThread.join();
    const std::lock_guard lock(ahead.Lock);
    ahead.Entries.clear();
    ahead.Active = false;
}

} // namespace rtl
