// Pictures in tests: reading and writing PNG files, exact comparison with the golden pictures in
// tests/golden, and comparison within a tolerance.
//
// A failed comparison writes <name>.actual.png, <name>.expected.png and <name>.diff.png into
// the build's tests/golden-failures folder and names the first differing pixel. Golden
// pictures are (re)written only when the test program runs with --update-golden (or with
// KOSMORRA_UPDATE_GOLDEN=1 in its environment); look at every one before committing it.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testing_support {

struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // ARGB, rows top to bottom

    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

bool ReadPng(const std::string& path, Image& image);
// RGB when every pixel is opaque, RGBA otherwise.
bool WritePng(const std::string& path, const Image& image);

void SetUpdateGolden(bool update);
bool UpdatingGolden();

// Exact comparison with tests/golden/<name>.png.
::testing::AssertionResult MatchesGolden(const std::string& name, const Image& actual);
// Every channel of every pixel within tolerance; on failure the pictures are written as for a
// golden mismatch, under name.
::testing::AssertionResult ImagesClose(const std::string& name, const Image& expected,
                                       const Image& actual, int tolerance);

std::string GoldenDir();
std::string FailureDir();

} // namespace testing_support
