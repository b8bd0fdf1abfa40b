// TArvexImageList: the engine's store of pictures, each cut into equal tiles and turned into a
// texture of the screen's device, drawn by index through one shared quad renderer.
//
// Items come from the form's stored description or from a theme file (TImageListCollection's
// LoadFromFile / LoadFromStream), which replaces the whole list. Textures are made once per item
// in the managed pool and survive device resets: after a reset LoadTextures only re-attaches the
// device and the renderer.
//
// Traps worth knowing:
// - Tile sizes may arrive from a stream before the picture does; a tile size of 0 then means
//   "the whole picture" once the picture's size is known.
// - A picture smaller than one tile has no tiles (TileColumns or TileRows 0); such an item draws
//   nothing rather than dividing by zero.
// - A texture that cannot be made ends the application (after the current message): the game
//   cannot draw without its pictures.
// - A picture larger than the device's largest texture is never decoded (its header says how
//   large it is): decoding a hostile 16384 x 16384 picture would cost a gigabyte for nothing.
#pragma once

#include "engine/display/ArvexDeviceClient.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Pictures.h"

#include <cstdint>
#include <memory>
#include <string>

namespace d3d {
class Device;
class Texture;
} // namespace d3d

class TArvexScreen;
class TArvexRenderer;
class TArvexImageList;
class TImageListCollection;

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

class TImageListItem : public rtl::TCollectionItem, public rtl::TStreamable {
public:
    explicit TImageListItem(rtl::TCollection* collection);
    ~TImageListItem() override;

    std::string DisplayName() const override { return Name; }

    // Published properties with setters.
    int32_t TileHeight() const { return FTileHeight; }
    void SetTileHeight(int32_t value);
    int32_t TileWidth() const { return FTileWidth; }
    void SetTileWidth(int32_t value);
    rtl::TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(rtl::TColor value) { FTransparentColor = value; }
    const rtl::TPicture& Picture() const { return FPicture; }
    // Copies the picture; when one was given, the item becomes one tile of its full size.
    void SetPicture(const rtl::TPicture& picture);

    // Texture size: estimated from the picture (powers of two from 2) until LoadTexture knows it.
    int32_t TextureWidth();
    int32_t TextureHeight();

    void LoadTexture();
    void ReleaseTexture();

    // Is a renderer attached (texture loaded through its image list and not released)?
    bool Attached() const { return FRenderer != nullptr; }
    d3d::Texture* Texture() const { return FTexture.get(); }

    // Drawing; coordinates in screen pixels, TileIndex -1 for the whole picture.
    void DrawQuad(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3,
                  int32_t X4, int32_t Y4, float Rotation, float CenterX, float CenterY,
                  float ScaleX, float ScaleY, uint32_t Color1, uint32_t Color2, uint32_t Color3,
                  uint32_t Color4, bool FlipV, bool FlipH, int32_t TileIndex, int32_t BlendMode);
    void Draw(int32_t X, int32_t Y, int32_t TileIndex);
    void DrawColored(int32_t X, int32_t Y, float Rotation, float CenterX, float CenterY,
                     float ScaleX, float ScaleY, uint32_t Color, bool FlipV, bool FlipH,
                     int32_t TileIndex, int32_t BlendMode);
    void DrawEx(int32_t X, int32_t Y, float Rotation, float CenterX, float CenterY, float ScaleX,
                float ScaleY, uint32_t Color1, uint32_t Color2, uint32_t Color3, uint32_t Color4,
                bool FlipV, bool FlipH, int32_t TileIndex, int32_t BlendMode);
    void DrawRect(const TRect& Rect, int32_t X, int32_t Y, float Rotation, float CenterX,
                  float CenterY, float ScaleX, float ScaleY, uint8_t R, uint8_t G, uint8_t B,
                  uint8_t A, bool FlipV, bool FlipH, int32_t TileIndex, int32_t BlendMode);

    // Reads the item's properties from a stream ("Name", "Picture.Data", "TileHeight",
    // "TileWidth", "TransparentColor", "Transparent", "Filepath").
    void ReadProperty(const std::string& name, rtl::TReader& reader) override;

    // Plain fields.
    int32_t TileRows = 0;
    int32_t TileColumns = 0;
    std::string Name;
    int32_t PictureHeight = 0;
    int32_t PictureWidth = 0;
    std::string Filepath;
    bool Transparent = false;
    // Set once a sprite has said that this picture has no texture, so that it is said once and
    // not at every frame; a texture made again clears it.
    bool ReportedUnattached = false;

private:
    TArvexImageList* ImageList() const;
    void EstimateTextureSize();
    // The picture named by Filepath in place of the streamed one, when it loads, decodes and
    // fits a texture; otherwise the streamed one stays and the reason goes to stderr.
    void LoadFilepathPicture();
    // Makes the texture from the decoded pixels, which it takes over; false, after the error
    // box and with the program ending, when the device cannot.
    bool MakeTexture();
    // "Error creating texture NAME..." and the program ends: nothing could draw this item.
    void FailTexture(const std::string& message);

    TArvexRenderer* FRenderer = nullptr;
    d3d::Device* FDevice = nullptr;
    std::unique_ptr<d3d::Texture> FTexture;
    rtl::TPicture FPicture;
    int32_t FTileHeight = 0;
    int32_t FTileWidth = 0;
    int32_t FTextureHeight = 0;
    int32_t FTextureWidth = 0;
    rtl::TColor FTransparentColor = rtl::clBlack;
};

class TImageListCollection : public rtl::TTypedCollection<TImageListItem> {
public:
    explicit TImageListCollection(TArvexImageList* owner) : FOwner(owner) {}
    TArvexImageList* Owner() const { return FOwner; }

    // Replace the whole list by a theme file's pictures. Failures are reported in message boxes
    // and leave what was read (see the class comment).
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(rtl::TStream& stream);

    // Copies another collection's items (pictures and settings; no textures).
    void Assign(const TImageListCollection& source);

    // What keeps the pictures from becoming textures no larger than maxSide a side, for the
    // first item it finds: a picture larger than that (refused from its header, undecoded), one
    // whose data does not decode, as 'item 3 ("Wall"): the picture does not decode (...)', or no
    // drawable picture at all (none, or an icon or metafile) and no Filepath to take one from.
    // Also, before anything is decoded, pictures that would take more than maxDecodedBytes
    // together once decoded (from their headers). Empty when every picture can be used.
    // Decodes the pictures (on every core), so loading their textures afterwards only uploads
    // them.
    std::string Problem(int32_t maxSide, int64_t maxDecodedBytes = INT64_MAX) const;
    // What Problem finds from the pictures' headers alone, before it decodes anything.
    std::string SizeProblem(int32_t maxSide, int64_t maxDecodedBytes = INT64_MAX) const;

    // Reads a theme stream as LoadFromStream does, but without a word to anyone: false (and an
    // empty list) when it cannot be read. It touches nothing but the stream and this list, so a
    // list without an owner may be read on any thread, for pictures decoded ahead.
    bool ReadQuietly(rtl::TStream& stream);

private:
    TArvexImageList* FOwner;
};

// The root object of theme streams: a component whose one property is the list it fills.
class TImageListCollectionComponent : public rtl::TComponent, public rtl::TStreamable {
public:
    explicit TImageListCollectionComponent(rtl::TComponent* owner) : rtl::TComponent(owner) {}
    TImageListCollection* List = nullptr;
    int32_t Tag = 0;
    void ReadProperty(const std::string& name, rtl::TReader& reader) override;
};

class TArvexImageList : public rtl::TComponent, public TArvexDeviceClient {
public:
    explicit TArvexImageList(rtl::TComponent* owner);
    ~TArvexImageList() override;

    TImageListCollection& ImageList() { return *FImageList; }
    void SetImageList(const TImageListCollection& list) { FImageList->Assign(list); }
    // Shorthand for ImageList().Items(index); raises EListError outside the list.
    TImageListItem* Items(int index) const { return FImageList->Items(index); }
    int Count() const { return FImageList->Count(); }

    TArvexScreen* ArvexScreen() const { return FArvexScreen; }
    void SetArvexScreen(TArvexScreen* screen) { FArvexScreen = screen; }
    TArvexRenderer* Renderer() const { return FRenderer.get(); }

    void LoadTextures();
    void ReleaseTextures();
    // The device's largest texture side (the screen's device's caps; the largest any device
    // offers while there is no device).
    int32_t MaxTextureSide() const;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    TDeviceClientKind DeviceClientKind() const override { return TDeviceClientKind::dcImageList; }
    void DeviceReady() override { LoadTextures(); }
    void DeviceLost() override { ReleaseTextures(); }
    void AssignScreen(TArvexScreen* screen) override { FArvexScreen = screen; }

private:
    std::unique_ptr<TImageListCollection> FImageList;
    TArvexScreen* FArvexScreen = nullptr;
    std::unique_ptr<TArvexRenderer> FRenderer;
};
