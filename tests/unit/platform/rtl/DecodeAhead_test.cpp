#include "platform/rtl/DecodeAhead.h"
#include "platform/rtl/Streams.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using namespace rtl;

namespace {

std::atomic<int> gDecodes{0};

// A PNG graphic that counts its decodes, wherever they run.
class TCountedPng : public TPNGObject {
public:
    explicit TCountedPng(std::vector<uint8_t> file = {}) { LoadFromBytes(std::move(file)); }
    std::unique_ptr<TGraphic> Clone() const override {
        return std::make_unique<TCountedPng>(*this);
    }

protected:
    bool Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                std::string& error) const override {
        ++gDecodes;
        return TPNGObject::Decode(file, pixels, error);
    }
};

TPixels Flat(int w, int h, uint32_t argb) {
    TPixels p;
    p.Width = w;
    p.Height = h;
    p.Argb.assign(static_cast<size_t>(w) * h, argb);
    return p;
}

std::vector<uint8_t> DamagedPng() {
    std::vector<uint8_t> png = EncodePNG(Flat(6, 6, 0xFF102030));
    png.resize(png.size() - 20); // the end of the image data and the closing chunk cut off
    return png;
}

TDecodeAhead::TReadGraphics Reading(std::vector<std::vector<uint8_t>> files) {
    return [files] {
        std::vector<std::unique_ptr<TGraphic>> graphics;
        for (const std::vector<uint8_t>& file : files)
            graphics.push_back(std::make_unique<TCountedPng>(file));
        return graphics;
    };
}

} // namespace

TEST(DecodeAhead, EachPictureIsDecodedOnceWhoeverAsksAndWhenever) {
    const TPixels red = Flat(40, 30, 0xFFFF0000), blue = Flat(8, 8, 0x800000FF);
    const std::vector<uint8_t> redPng = EncodePNG(red), bluePng = EncodePNG(blue);
    gDecodes = 0;
    {
        const TDecodeAhead ahead(Reading({redPng, bluePng, redPng}));
        // Asked for at once, while the pictures may still be read or decoded: each is decoded
        // by one thread only, and a picture that is there twice serves two graphics.
        TCountedPng first(redPng), second(redPng), third(bluePng);
        std::thread other([&] { EXPECT_EQ(second.Pixels().Argb, red.Argb); });
        EXPECT_EQ(first.Pixels().Argb, red.Argb);
        EXPECT_EQ(third.Pixels().Argb, blue.Argb);
        other.join();
        EXPECT_EQ(gDecodes, 3);

        // Data nobody decoded ahead is decoded by its graphic, and so is data already taken.
        TCountedPng other1(EncodePNG(Flat(3, 3, 0xFF00FF00))), again(bluePng);
        EXPECT_EQ(other1.Pixels().Argb, Flat(3, 3, 0xFF00FF00).Argb);
        EXPECT_EQ(again.Pixels().Argb, blue.Argb);
        EXPECT_EQ(gDecodes, 5);
    }
    // Once it is gone, graphics decode for themselves.
    TCountedPng later(redPng);
    EXPECT_EQ(later.Pixels().Argb, red.Argb);
    EXPECT_EQ(gDecodes, 6);
}

TEST(DecodeAhead, WhatFailsAheadIsFoundAndReportedByTheOrdinaryDecodeOnly) {
    TCountedPng plain(DamagedPng());
    ASSERT_TRUE(plain.Empty());
    const std::string why = plain.DecodeError();

    testing::internal::CaptureStderr();
    std::string said;
    {
        const TDecodeAhead ahead([] {
            // Notes of the reading ahead stay unsaid, here an unregistered class.
            const std::vector<uint8_t> stored = {9, 'T', 'G', 'I', 'F', 'I', 'm', 'a', 'g', 'e'};
            TMemoryStream stream;
            stream.WriteBuffer(stored.data(), static_cast<int64_t>(stored.size()));
            stream.SetPosition(0);
            TPicture unknown;
            unknown.ReadData(stream);
            std::vector<std::unique_ptr<TGraphic>> graphics;
            graphics.push_back(std::make_unique<TCountedPng>(DamagedPng()));
            return graphics;
        });
        TCountedPng damaged(DamagedPng());
        EXPECT_TRUE(damaged.Empty());
        EXPECT_EQ(damaged.DecodeError(), why);
    }
    said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "TPNGObject: the picture cannot be decoded and stays empty (" + why + ")\n");
}

TEST(DecodeAhead, AReadingThatThrowsLeavesEveryPictureToItsGraphic) {
    const TPixels grey = Flat(5, 4, 0xFF808080);
    gDecodes = 0;
    const TDecodeAhead ahead(
        []() -> std::vector<std::unique_ptr<TGraphic>> { throw std::runtime_error("unreadable"); });
    TCountedPng png(EncodePNG(grey));
    EXPECT_EQ(png.Pixels().Argb, grey.Argb);
    EXPECT_EQ(gDecodes, 1);
}

TEST(DecodeAhead, OnlyOneAtATimeAndEndingStopsItUnfinished) {
    std::atomic<bool> secondRead{false};
    {
        const TDecodeAhead first([] {
            // Still reading when the owner gives up: it waits for the reading, not for decoding
            // everything read.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::vector<std::unique_ptr<TGraphic>> graphics;
            for (int i = 0; i < 20; ++i)
                graphics.push_back(std::make_unique<TCountedPng>(
                    EncodePNG(Flat(200, 200, 0xFF000000u + static_cast<uint32_t>(i)))));
            return graphics;
        });
        const TDecodeAhead second([&] {
            secondRead = true;
            return std::vector<std::unique_ptr<TGraphic>>{};
        });
    }
    EXPECT_FALSE(secondRead);
    // And a new one may start once the first is gone.
    const TDecodeAhead third([&] {
        secondRead = true;
        return std::vector<std::unique_ptr<TGraphic>>{};
    });
    TCountedPng png(EncodePNG(Flat(2, 2, 0xFFFFFFFF)));
    EXPECT_FALSE(png.Empty());
    EXPECT_TRUE(secondRead);
}
