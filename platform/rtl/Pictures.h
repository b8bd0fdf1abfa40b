// Pictures: one graphic of a registered class, kept as its file bytes and decoded to 32-bit
// ARGB pixels (0xAARRGGBB, rows top to bottom).
//
// Classes: "TPNGObject" (libpng), "TBitmap" (BMP through SDL's reader), "TJPEGImage" (libjpeg),
// and "TIcon" / "TMetafile", whose data is kept but never decoded. Data that will not decode
// leaves the picture empty and says why on stderr and in DecodeError(); it never throws from
// the decoder, so one broken picture cannot take a whole theme down with it.
#pragma once

#include "platform/rtl/Streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rtl {

// Largest side accepted from any picture file: larger claims are refused before anything is
// allocated (no texture can be that big anyway).
constexpr int kMaxPictureSide = 16384;

struct TPixels {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Argb;
    bool Empty() const { return Argb.empty(); }
    uint32_t At(int x, int y) const { return Argb[static_cast<size_t>(y) * Width + x]; }
};

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual std::string ClassName() const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // The class's own data inside a stored picture (after the class name). Raises EReadError
    // when the framing is broken (a length beyond the data); bad image data inside a correct
    // frame only leaves the graphic empty.
    virtual void ReadData(TStream& stream) = 0;
    virtual void WriteData(TStream& stream) const = 0;

    // Takes a whole file of this class's format. Decoding waits until the pixels or the size
    // are first asked for (or DecodeInParallel runs), so pictures that are never shown cost
    // nothing and many pictures can be decoded on all cores at once.
    void LoadFromBytes(std::vector<uint8_t> file);
    const std::vector<uint8_t>& FileBytes() const { return FData; }

    // No data at all (never loaded, or data that would not decode).
    bool Empty() const {
        if (FReleased)
            return false;
        EnsureDecoded();
        return FData.empty();
    }
    // Decodable classes only; icons and metafiles have data but no pixels.
    virtual bool CanDecode() const { return true; }
    const TPixels& Pixels() const {
        EnsureDecoded();
        return FPixels;
    }
    int Width() const { return FReleased ? FPixels.Width : Pixels().Width; }
    int Height() const { return FReleased ? FPixels.Height : Pixels().Height; }
    const std::string& DecodeError() const {
        EnsureDecoded();
        return FError;
    }
    bool Decoded() const { return FDecoded; }
    // The size the data claims, from the file's header alone, so a picture can be refused before
    // decoding it would cost its full size in memory. The decoded size once decoded; false when
    // the header cannot be read (the data will not decode either).
    bool HeaderSize(long long& width, long long& height) const;
    // Decodes now if that is still to be done. Safe to run for different graphics on different
    // threads at the same time (never for one graphic on two).
    void EnsureDecoded() const;
    // Frees the decoded pixels once something else (a texture) holds them, keeping the file
    // bytes and the size: a picture is then no bigger than its file. Asking for the pixels
    // again decodes again.
    void ReleasePixels() const;
    // The decoded pixels, handed over rather than copied: afterwards the graphic is as after
    // ReleasePixels. Empty for a graphic without pixels.
    TPixels TakePixels() const;
    // Decodes the data into pixels of the caller's, leaving the graphic as it is and saying
    // nothing: the work a decode-ahead thread (DecodeAhead.h) does on a graphic of its own.
    bool DecodeInto(TPixels& pixels, std::string& error) const {
        return Decode(FData, pixels, error);
    }

protected:
    virtual bool Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                        std::string& error) const = 0;

    // Decoding fills these in on first use, hence mutable.
    mutable std::vector<uint8_t> FData;
    mutable TPixels FPixels;
    mutable std::string FError;
    mutable bool FDecoded = true;
    mutable bool FReleased = false; // decoded once, pixels freed, size still in FPixels
};

// Decodes every graphic that still waits for it, spread over the machine's cores.
void DecodeInParallel(const std::vector<const TGraphic*>& graphics);

// While one lives, the notes reading and decoding pictures write on stderr are not written by
// the thread that made it.
class TQuietPictures {
public:
    TQuietPictures();
    ~TQuietPictures();
    TQuietPictures(const TQuietPictures&) = delete;
    TQuietPictures& operator=(const TQuietPictures&) = delete;
};

class TPNGObject : public TGraphic {
public:
    std::string ClassName() const override { return "TPNGObject"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TPNGObject>(*this); }
    // A PNG from its signature to its IEND chunk, with no length before it.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

protected:
    bool Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                std::string& error) const override;
};

class TBitmap : public TGraphic {
public:
    std::string ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
    // UInt32 size, then a BMP file of that size.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

protected:
    bool Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                std::string& error) const override;
};

class TJPEGImage : public TGraphic {
public:
    std::string ClassName() const override { return "TJPEGImage"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }
    // UInt32 size, then a JPEG file of that size.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

protected:
    bool Decode(const std::vector<uint8_t>& file, TPixels& pixels,
                std::string& error) const override;
};

// Icon and metafile data: kept (the rest of the stored block) so it survives a round trip, but
// never turned into pixels.
class TUndecodedGraphic : public TGraphic {
public:
    explicit TUndecodedGraphic(std::string className) : FClassName(std::move(className)) {}
    std::string ClassName() const override { return FClassName; }
    std::unique_ptr<TGraphic> Clone() const override {
        return std::make_unique<TUndecodedGraphic>(*this);
    }
    bool CanDecode() const override { return false; }
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

protected:
    bool Decode(const std::vector<uint8_t>&, TPixels&, std::string&) const override { return true; }

private:
    std::string FClassName;
};

// The registered classes by name ("TPNGObject", "TBitmap", "TJPEGImage", "TIcon", "TMetafile");
// nullptr for any other name.
std::unique_ptr<TGraphic> CreateGraphic(const std::string& className);

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture& other) { Assign(other); }
    TPicture& operator=(const TPicture& other) {
        Assign(other);
        return *this;
    }

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { FGraphic = std::move(graphic); }
    void Assign(const TPicture& other);
    void Clear() { FGraphic.reset(); }

    // No graphic, or a graphic without data.
    bool Empty() const { return !FGraphic || FGraphic->Empty(); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // The class is chosen by the extension: bmp, png, jpg/jpeg, ico, wmf/emf. Raises EFOpenError
    // when the file cannot be read and EInvalidGraphic for any other extension.
    void LoadFromFile(const std::string& fileName);

    // A stored picture: the class name as a short string, then the class's data. An unregistered
    // class name leaves the picture empty.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

// A PNG file (RGBA, 8 bits per channel) of the pixels, for tools and screenshots.
std::vector<uint8_t> EncodePNG(const TPixels& pixels);
// A baseline JPEG of the pixels (alpha dropped), for tools; quality 1..100.
std::vector<uint8_t> EncodeJPEG(const TPixels& pixels, int quality);
// Decodes any supported file by its content (PNG, JPEG or BMP signature).
bool DecodeImage(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error);

} // namespace rtl
