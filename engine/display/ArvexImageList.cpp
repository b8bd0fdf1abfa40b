#include "engine/display/ArvexImageList.h"

#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/D3DX.h"
#include "platform/d3d/Device.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <cstdio>

namespace {

// Whether the picture, by its header, fits a texture of at most maxSide a side; why not in why.
bool FitsTexture(const rtl::TGraphic* graphic, int32_t maxSide, std::string& why) {
    long long width = 0, height = 0;
    if (!graphic || !graphic->CanDecode() || !graphic->HeaderSize(width, height) ||
        (width <= maxSide && height <= maxSide))
        return true; // nothing to decode, or the decoder's own checks will say what is wrong
    why = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
          ", larger than the largest texture (" + std::to_string(maxSide) + " x " +
          std::to_string(maxSide) + ")";
    return false;
}

int32_t PowerOfTwoAtLeast(int32_t size) {
    int32_t p = 2;
    while (p < size && p < (1 << 30))
        p *= 2;
    return p;
}

} // namespace

// ---- TImageListItem ---------------------------------------------------------------------------

TImageListItem::TImageListItem(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {
    SetTileWidth(1);
    SetTileHeight(1);
}

TImageListItem::~TImageListItem() = default;

TArvexImageList* TImageListItem::ImageList() const {
    auto* list = dynamic_cast<TImageListCollection*>(Collection());
    return list ? list->Owner() : nullptr;
}

void TImageListItem::SetTileHeight(int32_t value) {
    FTileHeight = value == 0 ? PictureHeight : value;
    TileRows = FTileHeight > 0 ? PictureHeight / FTileHeight : 0;
}

void TImageListItem::SetTileWidth(int32_t value) {
    FTileWidth = value == 0 ? PictureWidth : value;
    TileColumns = FTileWidth > 0 ? PictureWidth / FTileWidth : 0;
}

void TImageListItem::SetPicture(const rtl::TPicture& picture) {
    FPicture = picture;
    if (picture.Empty())
        return;
    PictureWidth = picture.Width();
    PictureHeight = picture.Height();
    SetTileWidth(PictureWidth);
    SetTileHeight(PictureHeight);
    EstimateTextureSize();
}

void TImageListItem::EstimateTextureSize() {
    FTextureWidth = PowerOfTwoAtLeast(PictureWidth);
    FTextureHeight = PowerOfTwoAtLeast(PictureHeight);
}

int32_t TImageListItem::TextureWidth() {
    if (FTextureWidth < 2 || FTextureHeight < 2)
        EstimateTextureSize();
    return FTextureWidth;
}

int32_t TImageListItem::TextureHeight() {
    if (FTextureWidth < 2 || FTextureHeight < 2)
        EstimateTextureSize();
    return FTextureHeight;
}

void TImageListItem::LoadFilepathPicture() {
    std::string path = Filepath;
    if (path.find(':') == std::string::npos && path.find("\\\\") == std::string::npos) {
        rtl::ChangeToProgramDir();
        path = rtl::ExpandFileName(path);
    }
    if (!rtl::FileExists(path))
        return;
    // An unreadable, unknown or undecodable file is as good as a missing one: the streamed
    // picture (if any) stays. Decoding is lazy, so Empty() is what tells.
    rtl::TPicture fromFile;
    std::string why;
    try {
        fromFile.LoadFromFile(path);
    } catch (const rtl::Exception& e) {
        std::fprintf(stderr, "%s: %s\n", Name.c_str(), e.what());
    }
    TArvexImageList* owner = ImageList();
    if (owner && !FitsTexture(fromFile.Graphic(), owner->MaxTextureSide(), why))
        std::fprintf(stderr, "%s: %s: %s\n", Name.c_str(), path.c_str(), why.c_str());
    else if (!fromFile.Empty())
        FPicture = fromFile;
}

void TImageListItem::FailTexture(const std::string& message) {
    win::MessageBox(nullptr, message, "Error", win::MB_OK | win::MB_ICONERROR);
    if (win::Application)
        win::Application->Terminate();
}

bool TImageListItem::MakeTexture() {
    const uint32_t key = Transparent ? (0xFF000000u | TColorToARGB(FTransparentColor, 0)) : 0;
    // The texture keeps its own texels (through device resets too), so the decoded pixels
    // become them instead of being copied and then let go.
    rtl::TPixels pixels = FPicture.Graphic()->TakePixels();
    const bool made = !pixels.Empty() &&
                      d3d::SUCCEEDED(d3d::D3DXCreateTextureFromPixels(
                          FDevice, std::move(pixels.Argb), static_cast<d3d::UINT>(pixels.Width),
                          static_cast<d3d::UINT>(pixels.Height), key, &FTexture));
    if (made)
        return true;
    FTexture.reset();
    FailTexture("Error creating texture " + Name);
    FRenderer = nullptr;
    return false;
}

void TImageListItem::LoadTexture() {
    Filepath = rtl::Trim(Filepath);
    if (!Filepath.empty())
        LoadFilepathPicture();
    TArvexImageList* list = ImageList();
    std::string tooLarge;
    if (list && !FitsTexture(FPicture.Graphic(), list->MaxTextureSide(), tooLarge)) {
        FPicture.Clear(); // not decoded, and never will be: no device could take it
        FailTexture("Error creating texture " + Name + ": " + tooLarge);
        return;
    }
    if (FPicture.Empty())
        return;

    if (!list || !list->ArvexScreen())
        return;
    FDevice = list->ArvexScreen()->Device();
    FRenderer = list->Renderer();
    if (!FDevice)
        return;

    const rtl::TGraphic* graphic = FPicture.Graphic();
    if (FTileHeight < 1)
        FTileHeight = graphic->Height();
    if (FTileWidth < 1)
        FTileWidth = graphic->Width();
    if (!FTexture && !MakeTexture())
        return;
    ReportedUnattached = false;
    // The texture keeps its own copy of the texels (and keeps it through device resets), so
    // the decoded picture would only be a second one.
    graphic->ReleasePixels();
    FTextureWidth = std::max<int32_t>(2, static_cast<int32_t>(FTexture->Width()));
    FTextureHeight = std::max<int32_t>(2, static_cast<int32_t>(FTexture->Height()));
    PictureHeight = graphic->Height() > 0 ? graphic->Height() : 1;
    PictureWidth = graphic->Width() > 0 ? graphic->Width() : 1;
    TileRows = FTileHeight > 0 ? PictureHeight / FTileHeight : 0;
    TileColumns = FTileWidth > 0 ? PictureWidth / FTileWidth : 0;
    if (!Filepath.empty())
        FPicture.Clear(); // a file picture is read again at the next load, not kept in memory
}

void TImageListItem::ReleaseTexture() {
    FRenderer = nullptr;
    FDevice = nullptr;
}

void TImageListItem::DrawQuad(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3,
                              int32_t Y3, int32_t X4, int32_t Y4, float Rotation, float CenterX,
                              float CenterY, float ScaleX, float ScaleY, uint32_t Color1,
                              uint32_t Color2, uint32_t Color3, uint32_t Color4, bool FlipV,
                              bool FlipH, int32_t TileIndex, int32_t BlendMode) {
    if (!FRenderer || !FTexture)
        return;
    if (TileIndex != -1 && (TileColumns <= 0 || TileRows <= 0))
        return; // a picture smaller than one tile has no tile to draw
    if (ScaleX == 0)
        ScaleX = 1;
    if (ScaleY == 0)
        ScaleY = 1;
    TArvexScreen* screen = FRenderer->Screen();
    if (BlendMode != -1 && screen)
        screen->SetBlendMode(BlendMode);
    FRenderer->SetColors(Color1, Color2, Color3, Color4);
    FRenderer->FlipV = FlipV;
    FRenderer->FlipH = FlipH;

    const float textureWidth = static_cast<float>(TextureWidth());
    const float textureHeight = static_cast<float>(TextureHeight());
    float u0, v0, u1, v1;
    int32_t sourceWidth, sourceHeight;
    if (TileIndex == -1) {
        u0 = 0;
        v0 = 0;
        u1 = static_cast<float>(PictureWidth) / textureWidth;
        v1 = static_cast<float>(PictureHeight) / textureHeight;
        sourceWidth = PictureWidth;
        sourceHeight = PictureHeight;
    } else {
        const int32_t tiles = TileRows * TileColumns;
        if (TileIndex >= tiles)
            TileIndex = tiles - 1;
        // A negative index other than -1 is no tile of the picture; the first tile is the
        // nearest honest answer.
        if (TileIndex < 0)
            TileIndex = 0;
        const int32_t column = TileIndex % TileColumns;
        const int32_t row = TileIndex / TileColumns;
        const int32_t left = column * FTileWidth;
        const int32_t top = row * FTileHeight;
        u0 = static_cast<float>(left) / textureWidth;
        v0 = static_cast<float>(top) / textureHeight;
        u1 = static_cast<float>(left + FTileWidth) / textureWidth;
        v1 = static_cast<float>(top + FTileHeight) / textureHeight;
        sourceWidth = FTileWidth;
        sourceHeight = FTileHeight;
    }
    FRenderer->SetTexCoords(u0, v0, u1, v0, u1, v1, u0, v1);
    FRenderer->SetTexture(FTexture.get());
    FRenderer->SetPositions(static_cast<float>(X1) - 0.5f, static_cast<float>(Y1) - 0.5f,
                            static_cast<float>(X2) - 0.5f, static_cast<float>(Y2) - 0.5f,
                            static_cast<float>(X3) - 0.5f, static_cast<float>(Y3) - 0.5f,
                            static_cast<float>(X4) - 0.5f, static_cast<float>(Y4) - 0.5f);
    const float centerX = static_cast<float>(X1) + static_cast<float>(sourceWidth) * CenterX;
    const float centerY = static_cast<float>(Y1) + static_cast<float>(sourceHeight) * CenterY;
    FRenderer->RotateScale(centerX, centerY, Rotation, ScaleX, ScaleY);
    FRenderer->Draw();
}

void TImageListItem::Draw(int32_t X, int32_t Y, int32_t TileIndex) {
    DrawQuad(X, Y, X + FTileWidth, Y, X + FTileWidth, Y + FTileHeight, X, Y + FTileHeight, 0, 0, 0,
             1, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, false, false, TileIndex, 0);
}

void TImageListItem::DrawColored(int32_t X, int32_t Y, float Rotation, float CenterX, float CenterY,
                                 float ScaleX, float ScaleY, uint32_t Color, bool FlipV, bool FlipH,
                                 int32_t TileIndex, int32_t BlendMode) {
    DrawQuad(X, Y, X + FTileWidth, Y, X + FTileWidth, Y + FTileHeight, X, Y + FTileHeight, Rotation,
             CenterX, CenterY, ScaleX, ScaleY, Color, Color, Color, Color, FlipV, FlipH, TileIndex,
             BlendMode);
}

void TImageListItem::DrawEx(int32_t X, int32_t Y, float Rotation, float CenterX, float CenterY,
                            float ScaleX, float ScaleY, uint32_t Color1, uint32_t Color2,
                            uint32_t Color3, uint32_t Color4, bool FlipV, bool FlipH,
                            int32_t TileIndex, int32_t BlendMode) {
    DrawQuad(X, Y, X + FTileWidth, Y, X + FTileWidth, Y + FTileHeight, X, Y + FTileHeight, Rotation,
             CenterX, CenterY, ScaleX, ScaleY, Color1, Color2, Color3, Color4, FlipV, FlipH,
             TileIndex, BlendMode);
}

void TImageListItem::DrawRect(const TRect& Rect, int32_t X, int32_t Y, float Rotation,
                              float CenterX, float CenterY, float ScaleX, float ScaleY, uint8_t R,
                              uint8_t G, uint8_t B, uint8_t A, bool FlipV, bool FlipH,
                              int32_t TileIndex, int32_t BlendMode) {
    const uint32_t color = PackARGB(R, G, B, A);
    DrawQuad(Rect.Left + X, Rect.Top + Y, Rect.Right + X, Rect.Top + Y, Rect.Right + X,
             Rect.Bottom + Y, Rect.Left + X, Rect.Bottom + Y, Rotation, CenterX, CenterY, ScaleX,
             ScaleY, color, color, color, color, FlipV, FlipH, TileIndex, BlendMode);
}

void TImageListItem::ReadProperty(const std::string& name, rtl::TReader& reader) {
    if (name == "Name") {
        Name = reader.ReadString();
    } else if (name == "Picture.Data") {
        const std::vector<uint8_t> bytes = reader.ReadBinary();
        rtl::TMemoryStream data;
        data.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        data.SetPosition(0);
        // Only the picture is filled in: the item's sizes follow when its texture is made, so
        // the tile sizes read from the stream keep their values whatever the order.
        FPicture.ReadData(data);
    } else if (name == "TileHeight") {
        SetTileHeight(reader.ReadInteger());
    } else if (name == "TileWidth") {
        SetTileWidth(reader.ReadInteger());
    } else if (name == "TransparentColor") {
        if (reader.NextValue() == rtl::vaIdent) {
            const std::string ident = reader.ReadIdent();
            rtl::TColor color = 0;
            if (!rtl::IdentToColor(ident, color))
                rtl::RaiseReadError("unknown colour " + ident);
            SetTransparentColor(color);
        } else {
            SetTransparentColor(reader.ReadInteger());
        }
    } else if (name == "Transparent") {
        Transparent = reader.ReadBoolean();
    } else if (name == "Filepath") {
        Filepath = reader.ReadString();
    } else {
        rtl::RaiseReadError("unknown property " + name);
    }
}

// ---- TImageListCollection ---------------------------------------------------------------------

void TImageListCollection::LoadFromFile(const std::string& fileName) {
    rtl::TMemoryStream stream;
    try {
        stream.LoadFromFile(fileName);
    } catch (const rtl::Exception&) {
        win::MessageBox(nullptr, "Cannot be loaded - file error or file crypted!",
                        win::Application ? win::Application->Title : std::string(), win::MB_OK);
        return;
    }
    LoadFromStream(stream);
}

void TImageListCollection::LoadFromStream(rtl::TStream& stream) {
    Clear();
    TImageListCollectionComponent carrier(nullptr);
    carrier.List = this;
    try {
        stream.SetPosition(0);
        rtl::TReader reader(stream);
        const std::string objectName = reader.ReadRootComponent(carrier);
        carrier.Name = objectName;
    } catch (const rtl::EStreamError&) {
        win::MessageBox(nullptr,
                        "The stream could not be loaded, either it is corrupt or encrypted!",
                        "Error!", win::MB_OKCANCEL);
    }
}

void TImageListCollection::Assign(const TImageListCollection& source) {
    if (&source == this)
        return;
    Clear();
    for (int i = 0; i < source.Count(); ++i) {
        const TImageListItem* from = source.Items(i);
        TImageListItem* to = Add();
        to->Name = from->Name;
        to->SetPicture(from->Picture());
        to->SetTileWidth(from->TileWidth());
        to->SetTileHeight(from->TileHeight());
        to->SetTransparentColor(from->TransparentColor());
        to->Transparent = from->Transparent;
        to->Filepath = from->Filepath;
    }
}

std::string TImageListCollection::SizeProblem(int32_t maxSide, int64_t maxDecodedBytes) const {
    int64_t decodedBytes = 0;
    for (int i = 0; i < Count(); ++i) {
        std::string why;
        const rtl::TGraphic* graphic = Items(i)->Picture().Graphic();
        if (!FitsTexture(graphic, maxSide, why))
            return "item " + std::to_string(i) + " (\"" + Items(i)->Name + "\"): " + why;
        long long width = 0, height = 0;
        if (graphic && graphic->CanDecode() && graphic->HeaderSize(width, height))
            decodedBytes += static_cast<int64_t>(width) * height * 4;
    }
    if (decodedBytes > maxDecodedBytes)
        return "its pictures would take " + rtl::FormatByteSize(decodedBytes) +
               " once decoded, more than such a file may (" + rtl::FormatByteSize(maxDecodedBytes) +
               " at most)";
    return {};
}

bool TImageListCollection::ReadQuietly(rtl::TStream& stream) {
    const rtl::TQuietPictures quiet;
    Clear();
    TImageListCollectionComponent carrier(nullptr);
    carrier.List = this;
    try {
        stream.SetPosition(0);
        rtl::TReader reader(stream);
        reader.ReadRootComponent(carrier);
        return true;
    } catch (...) {
        Clear();
        return false;
    }
}

std::string TImageListCollection::Problem(int32_t maxSide, int64_t maxDecodedBytes) const {
    if (std::string problem = SizeProblem(maxSide, maxDecodedBytes); !problem.empty())
        return problem;
    std::vector<const rtl::TGraphic*> fitting;
    for (int i = 0; i < Count(); ++i)
        fitting.push_back(Items(i)->Picture().Graphic());
    rtl::DecodeInParallel(fitting);
    for (int i = 0; i < Count(); ++i) {
        const rtl::TGraphic* graphic = Items(i)->Picture().Graphic();
        const std::string item = "item " + std::to_string(i) + " (\"" + Items(i)->Name + "\"): ";
        if (!graphic || !graphic->CanDecode()) {
            if (Items(i)->Filepath.empty()) // else the picture comes from that file
                return item + "it holds no picture that can be drawn";
        } else if (graphic->Empty()) {
            return item + "the picture does not decode (" + graphic->DecodeError() + ")";
        }
    }
    return {};
}

void TImageListCollectionComponent::ReadProperty(const std::string& name, rtl::TReader& reader) {
    if (name == "List") {
        if (!List)
            rtl::RaiseReadError("no list to read into");
        reader.ReadCollection([&] { reader.ReadProperties(*List->Add()); });
    } else if (name == "Name") {
        Name = reader.ReadString();
    } else if (name == "Tag") {
        Tag = reader.ReadInteger();
    } else {
        rtl::RaiseReadError("unknown property " + name);
    }
}

// ---- TArvexImageList --------------------------------------------------------------------------

TArvexImageList::TArvexImageList(rtl::TComponent* owner)
    : rtl::TComponent(owner), FImageList(std::make_unique<TImageListCollection>(this)),
      FRenderer(std::make_unique<TArvexRenderer>()) {}

TArvexImageList::~TArvexImageList() = default;

void TArvexImageList::LoadTextures() {
    if (!FArvexScreen)
        return;
    FRenderer->SetScreen(FArvexScreen);
    FRenderer->Activate();
    if (!FArvexScreen->Device())
        return;
    // Decoding the pictures is most of the work; it runs on every core before the textures are
    // made one by one. Items that have their texture already need no pixels.
    std::vector<const rtl::TGraphic*> graphics;
    std::string why;
    for (int i = 0; i < FImageList->Count(); ++i)
        if (const rtl::TGraphic* g = FImageList->Items(i)->Picture().Graphic();
            !FImageList->Items(i)->Texture() && FitsTexture(g, MaxTextureSide(), why))
            graphics.push_back(g);
    rtl::DecodeInParallel(graphics);
    for (int i = 0; i < FImageList->Count(); ++i)
        FImageList->Items(i)->LoadTexture();
}

int32_t TArvexImageList::MaxTextureSide() const {
    d3d::Device* device = FArvexScreen ? FArvexScreen->Device() : nullptr;
    d3d::D3DCAPS8 caps{};
    if (device && d3d::SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0 &&
        caps.MaxTextureHeight > 0)
        return static_cast<int32_t>(std::min(caps.MaxTextureWidth, caps.MaxTextureHeight));
    return static_cast<int32_t>(d3d::kMaxTextureSize);
}

void TArvexImageList::ReleaseTextures() {
    FRenderer->DeviceLost();
    for (int i = 0; i < FImageList->Count(); ++i)
        FImageList->Items(i)->ReleaseTexture();
}

void TArvexImageList::Notification(rtl::TComponent* component, rtl::TOperation operation) {
    rtl::TComponent::Notification(component, operation);
    if (operation == rtl::opInsert && !FArvexScreen && component->Owner() == Owner()) {
        if (auto* screen = dynamic_cast<TArvexScreen*>(component))
            FArvexScreen = screen;
    }
    if (operation == rtl::opRemove && component == FArvexScreen)
        FArvexScreen = nullptr;
}
