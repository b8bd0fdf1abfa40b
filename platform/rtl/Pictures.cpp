#include "platform/rtl/Pictures.h"

#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/DecodeAhead.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/PictureCodecs.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <thread>

namespace rtl {

namespace {

thread_local int tQuiet = 0;

// A note on stderr, unless this thread is kept quiet.
[[gnu::format(printf, 1, 2)]] void Note(const char* format, ...) {
    if (tQuiet > 0)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

std::vector<uint8_t> ReadRest(TStream& stream) {
    const int64_t left = stream.Size() - stream.Position();
    std::vector<uint8_t> bytes(static_cast<size_t>(left > 0 ? left : 0));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

// UInt32 size, then that many bytes; the size is checked against what the stream holds.
std::vector<uint8_t> ReadSized(TStream& stream) {
    uint32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size > stream.Size() - stream.Position())
        RaiseReadError("picture data longer than its block");
    std::vector<uint8_t> bytes(size);
    if (size != 0)
        stream.ReadBuffer(bytes.data(), size);
    return bytes;
}

void WriteSized(TStream& stream, const std::vector<uint8_t>& bytes) {
    const auto size = static_cast<uint32_t>(bytes.size());
    stream.WriteBuffer(&size, 4);
    if (size != 0)
        stream.WriteBuffer(bytes.data(), size);
}

} // namespace

namespace codecs {

bool SizePixels(TPixels& pixels, unsigned width, unsigned height) {
    const auto powerOfTwo = [](size_t side) {
        size_t p = 1;
        while (p < side)
            p *= 2;
        return p;
    };
    try {
        pixels.Argb.reserve(powerOfTwo(width) * powerOfTwo(height));
        pixels.Argb.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        pixels = TPixels();
        return false;
    }
    pixels.Width = static_cast<int>(width);
    pixels.Height = static_cast<int>(height);
    return true;
}

} // namespace codecs

void TGraphic::LoadFromBytes(std::vector<uint8_t> file) {
    FPixels = TPixels();
    FReleased = false;
    FError.clear();
    FData = std::move(file);
    FDecoded = FData.empty() || !CanDecode();
}

void TGraphic::EnsureDecoded() const {
    if (FDecoded)
        return;
    FDecoded = true;
    FReleased = false;
    if (TakeDecodedAhead(*this, FPixels))
        return;
    if (!Decode(FData, FPixels, FError)) {
        Note("%s: the picture cannot be decoded and stays empty (%s)\n", ClassName().c_str(),
             FError.c_str());
        FData.clear();
        FPixels = TPixels();
    }
}

bool TGraphic::HeaderSize(long long& width, long long& height) const {
    if (FDecoded) {
        width = FPixels.Width;
        height = FPixels.Height;
        return !FPixels.Empty();
    }
    if (FData.size() >= 8 && FData[0] == 0x89 && FData[1] == 'P')
        return codecs::PNGSize(FData, width, height);
    if (FData.size() >= 3 && FData[0] == 0xFF && FData[1] == 0xD8)
        return codecs::JPEGSize(FData, width, height);
    return codecs::BMPSize(FData, width, height);
}

TPixels TGraphic::TakePixels() const {
    EnsureDecoded();
    TPixels pixels;
    if (FPixels.Empty() || !CanDecode())
        return pixels;
    pixels.Width = FPixels.Width;
    pixels.Height = FPixels.Height;
    pixels.Argb.swap(FPixels.Argb);
    FDecoded = false;
    FReleased = true;
    return pixels;
}

void TGraphic::ReleasePixels() const {
    if (!FDecoded || FReleased || FPixels.Empty() || !CanDecode())
        return;
    std::vector<uint32_t>().swap(FPixels.Argb);
    FDecoded = false;
    FReleased = true;
}

// ---- PNG --------------------------------------------------------------------------------------

void TPNGObject::ReadData(TStream& stream) {
    std::vector<uint8_t> rest = ReadRest(stream);
    const size_t length = codecs::PNGLength(rest.data(), rest.size());
    if (length == 0) {
        // Not a chunk sequence we can find the end of: nothing to decode, and nothing after it
        // can be trusted either.
        LoadFromBytes({});
        Note("TPNGObject: the stored data is not a complete PNG file\n");
        return;
    }
    stream.Seek(static_cast<int64_t>(length) - static_cast<int64_t>(rest.size()), soCurrent);
    rest.resize(length);
    LoadFromBytes(std::move(rest));
}

void TPNGObject::WriteData(TStream& stream) const {
    if (!FData.empty())
        stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

bool TPNGObject::Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                        std::string& error) const {
    return codecs::DecodePNG(file, pixels, error);
}

// ---- BMP --------------------------------------------------------------------------------------

void TBitmap::ReadData(TStream& stream) {
    LoadFromBytes(ReadSized(stream));
}

void TBitmap::WriteData(TStream& stream) const {
    WriteSized(stream, FData);
}

bool TBitmap::Decode(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error) const {
    return codecs::DecodeBMP(file, pixels, error);
}

// ---- JPEG -------------------------------------------------------------------------------------

void TJPEGImage::ReadData(TStream& stream) {
    LoadFromBytes(ReadSized(stream));
}

void TJPEGImage::WriteData(TStream& stream) const {
    WriteSized(stream, FData);
}

bool TJPEGImage::Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                        std::string& error) const {
    return codecs::DecodeJPEG(file, pixels, error);
}

// ---- Icons and metafiles ------------------------------------------------------------------------

void TUndecodedGraphic::ReadData(TStream& stream) {
    LoadFromBytes(ReadRest(stream));
}

void TUndecodedGraphic::WriteData(TStream& stream) const {
    if (!FData.empty())
        stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

// ---- Picture ----------------------------------------------------------------------------------

std::unique_ptr<TGraphic> CreateGraphic(const std::string& className) {
    if (className == "TPNGObject")
        return std::make_unique<TPNGObject>();
    if (className == "TBitmap")
        return std::make_unique<TBitmap>();
    if (className == "TJPEGImage")
        return std::make_unique<TJPEGImage>();
    if (className == "TIcon" || className == "TMetafile")
        return std::make_unique<TUndecodedGraphic>(className);
    return nullptr;
}

void TPicture::Assign(const TPicture& other) {
    if (&other != this)
        FGraphic = other.FGraphic ? other.FGraphic->Clone() : nullptr;
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    std::string className;
    if (ext == ".PNG")
        className = "TPNGObject";
    else if (ext == ".BMP")
        className = "TBitmap";
    else if (ext == ".JPG" || ext == ".JPEG")
        className = "TJPEGImage";
    else if (ext == ".ICO")
        className = "TIcon";
    else if (ext == ".WMF" || ext == ".EMF")
        className = "TMetafile";
    else
        throw EInvalidGraphic("Unknown picture file extension (" + ExtractFileExt(fileName) + ")");
    std::unique_ptr<TGraphic> graphic = CreateGraphic(className);
    graphic->LoadFromBytes(ReadFileBytes(fileName));
    FGraphic = std::move(graphic);
}

void TPicture::ReadData(TStream& stream) {
    uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string className(length, '\0');
    if (length != 0)
        stream.ReadBuffer(className.data(), length);
    FGraphic = CreateGraphic(className);
    if (FGraphic)
        FGraphic->ReadData(stream);
    else
        Note("Picture class \"%s\" is not registered: the picture stays empty\n",
             className.c_str());
}

void TPicture::WriteData(TStream& stream) const {
    const std::string className = FGraphic ? FGraphic->ClassName() : std::string();
    const auto length = static_cast<uint8_t>(className.size());
    stream.WriteBuffer(&length, 1);
    if (length != 0)
        stream.WriteBuffer(className.data(), length);
    if (FGraphic)
        FGraphic->WriteData(stream);
}

void DecodeInParallel(const std::vector<const TGraphic*>& graphics) {
    std::vector<const TGraphic*> pending;
    for (const TGraphic* g : graphics)
        if (g && !g->Decoded())
            pending.push_back(g);
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < pending.size(); i = next++)
            pending[i]->EnsureDecoded();
    };
    const unsigned cores =
        ThreadsAvailable() ? std::max(1u, std::thread::hardware_concurrency()) : 1;
    const size_t helpers = std::min<size_t>(cores, pending.size()) > 0
                               ? std::min<size_t>(cores, pending.size()) - 1
                               : 0;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < helpers; ++i)
        threads.emplace_back([&] {
            work();
            // SDL (the bitmap reader) keeps per-thread data such as its error text; a thread
            // SDL did not make must hand it back itself.
            SDL_TLSCleanup();
        });
    work();
    for (std::thread& t : threads)
        t.join();
}

bool DecodeImage(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error) {
    if (file.size() >= 8 && file[0] == 0x89 && file[1] == 'P')
        return codecs::DecodePNG(file, pixels, error);
    if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8)
        return codecs::DecodeJPEG(file, pixels, error);
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M')
        return codecs::DecodeBMP(file, pixels, error);
    error = "unknown picture format";
    return false;
}

TQuietPictures::TQuietPictures() {
    ++tQuiet;
}

TQuietPictures::~TQuietPictures() {
    --tQuiet;
}

} // namespace rtl
