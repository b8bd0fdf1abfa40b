// Pictures decoded ahead of need, on threads of their own, for a reading that comes later.
#pragma once

#include "platform/rtl/Pictures.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace rtl {

// Pictures decoded ahead of need. A program that will read a file of pictures later, on its main
// thread with all its checks and messages, can have the same pictures decoded meanwhile on
// threads of their own: read runs on the first of them, with its notes kept quiet
// (TQuietPictures), and returns the graphics it found. A graphic decoded later (EnsureDecoded, on
// any thread) whose class and file bytes match one of them takes its pixels instead of decoding
// them again, waits for one that is being decoded, and decodes one not started yet itself. What
// fails ahead (an exception from read, a picture that does not decode) is simply not offered:
// the ordinary decode meets it again and reports it at its own moment, so nothing the user sees
// changes but the time it takes.
//
// One at a time in a process (a second one while the first lives does nothing). The destructor
// stops the threads after the picture each is decoding, joins them and frees what was not taken.
class TDecodeAhead {
public:
    using TReadGraphics = std::function<std::vector<std::unique_ptr<TGraphic>>()>;
    explicit TDecodeAhead(TReadGraphics read);
    ~TDecodeAhead();
    TDecodeAhead(const TDecodeAhead&) = delete;
    TDecodeAhead& operator=(const TDecodeAhead&) = delete;

private:
    bool FStarted = false;
    std::thread FThread;
};

// The pixels decoded ahead for a graphic of this class and data, moved into pixels; false when
// there are none and the caller must decode it itself. Waits for the reading ahead to be over,
// and for a matching picture being decoded. TGraphic::EnsureDecoded asks it before decoding.
bool TakeDecodedAhead(const TGraphic& graphic, TPixels& pixels);

} // namespace rtl
