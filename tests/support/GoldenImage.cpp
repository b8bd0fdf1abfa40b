#include "tests/support/GoldenImage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <png.h>

namespace testing_support {

namespace {

bool gUpdate = [] {
    const char* env = std::getenv("KOSMORRA_UPDATE_GOLDEN");
    return env && std::string(env) == "1";
}();

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// Equal pixels show as a dark copy of the expected picture, differing ones in red, brighter
// the larger the difference.
Image Difference(const Image& expected, const Image& actual) {
    Image diff;
    diff.Width = std::max(expected.Width, actual.Width);
    diff.Height = std::max(expected.Height, actual.Height);
    diff.Pixels.assign(static_cast<size_t>(diff.Width) * diff.Height, 0xFFFF00FFu);
    for (int y = 0; y < std::min(expected.Height, actual.Height); ++y)
        for (int x = 0; x < std::min(expected.Width, actual.Width); ++x) {
            const uint32_t e = expected.At(x, y), a = actual.At(x, y);
            uint32_t out;
            if (e == a) {
                const uint32_t grey = (((e >> 16) & 0xFF) + ((e >> 8) & 0xFF) + (e & 0xFF)) / 12;
                out = 0xFF000000u | grey << 16 | grey << 8 | grey;
            } else {
                int worst = 0;
                for (int shift = 0; shift < 32; shift += 8)
                    worst = std::max(worst, std::abs(static_cast<int>((e >> shift) & 0xFF) -
                                                     static_cast<int>((a >> shift) & 0xFF)));
                out = 0xFF000000u | static_cast<uint32_t>(std::min(255, 128 + worst * 4)) << 16;
            }
            diff.Pixels[static_cast<size_t>(y) * diff.Width + x] = out;
        }
    return diff;
}

void WriteFailure(const std::string& name, const Image& expected, const Image& actual) {
    std::filesystem::create_directories(FailureDir());
    const std::string base = FailureDir() + "/" + name;
    WritePng(base + ".actual.png", actual);
    if (expected.Width > 0)
        WritePng(base + ".expected.png", expected);
    if (expected.Width > 0)
        WritePng(base + ".diff.png", Difference(expected, actual));
}

} // namespace

void SetUpdateGolden(bool update) {
    gUpdate = update;
}

bool UpdatingGolden() {
    return gUpdate;
}

std::string GoldenDir() {
    return KOSMORRA_GOLDEN_DIR;
}

std::string FailureDir() {
    return KOSMORRA_GOLDEN_FAILURE_DIR;
}

bool ReadPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_BGRA; // little-endian ARGB words
    image.Width = static_cast<int>(png.width);
    image.Height = static_cast<int>(png.height);
    image.Pixels.assign(static_cast<size_t>(image.Width) * image.Height, 0);
    const bool ok = png_image_finish_read(&png, nullptr, image.Pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}

bool WritePng(const std::string& path, const Image& image) {
    const bool opaque = std::all_of(image.Pixels.begin(), image.Pixels.end(),
                                    [](uint32_t p) { return (p >> 24) == 0xFF; });
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    std::vector<uint8_t> bytes;
    if (opaque) {
        png.format = PNG_FORMAT_RGB;
        bytes.reserve(image.Pixels.size() * 3);
        for (uint32_t p : image.Pixels) {
            bytes.push_back(static_cast<uint8_t>(p >> 16));
            bytes.push_back(static_cast<uint8_t>(p >> 8));
            bytes.push_back(static_cast<uint8_t>(p));
        }
    } else {
        png.format = PNG_FORMAT_BGRA;
        bytes.resize(image.Pixels.size() * 4);
        std::memcpy(bytes.data(), image.Pixels.data(), bytes.size());
    }
    return png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const Image& actual) {
    const std::string path = GoldenDir() + "/" + name + ".png";
    if (gUpdate) {
        if (!WritePng(path, actual))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    Image expected;
    if (!ReadPng(path, expected)) {
        WriteFailure(name, Image{}, actual);
        return ::testing::AssertionFailure()
               << "no golden picture " << path << " (run with --update-golden to make it; "
               << "the actual picture is in " << FailureDir() << ")";
    }
    if (expected.Width != actual.Width || expected.Height != actual.Height) {
        WriteFailure(name, expected, actual);
        return ::testing::AssertionFailure()
               << name << ": size " << actual.Width << "x" << actual.Height << ", expected "
               << expected.Width << "x" << expected.Height;
    }
    for (int y = 0; y < actual.Height; ++y)
        for (int x = 0; x < actual.Width; ++x)
            if (expected.At(x, y) != actual.At(x, y)) {
                WriteFailure(name, expected, actual);
                return ::testing::AssertionFailure()
                       << name << ": first difference at (" << x << ", " << y
                       << "): " << Hex(actual.At(x, y)) << ", expected " << Hex(expected.At(x, y))
                       << "; pictures in " << FailureDir();
            }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ImagesClose(const std::string& name, const Image& expected,
                                       const Image& actual, int tolerance) {
    if (expected.Width != actual.Width || expected.Height != actual.Height) {
        WriteFailure(name, expected, actual);
        return ::testing::AssertionFailure() << name << ": sizes differ";
    }
    int worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < actual.Height; ++y)
        for (int x = 0; x < actual.Width; ++x) {
            const uint32_t e = expected.At(x, y), a = actual.At(x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = std::abs(static_cast<int>((e >> shift) & 0xFF) -
                                       static_cast<int>((a >> shift) & 0xFF));
                if (d > worst)
                    worst = d, worstX = x, worstY = y;
            }
        }
    if (worst > tolerance) {
        WriteFailure(name, expected, actual);
        return ::testing::AssertionFailure()
               << name << ": largest difference " << worst << " (tolerance " << tolerance
               << ") at (" << worstX << ", " << worstY << "): " << Hex(actual.At(worstX, worstY))
               << ", expected " << Hex(expected.At(worstX, worstY)) << "; pictures in "
               << FailureDir();
    }
    return ::testing::AssertionSuccess() << "largest difference " << worst;
}

} // namespace testing_support
