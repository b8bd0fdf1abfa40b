#include "tests/support/Scenes.h"

#include "platform/d3d/D3DX.h"
#include "platform/d3d/PixelFormats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace testing_support {

// ---- Rig ---------------------------------------------------------------------------------------

ScreenRig::ScreenRig(TRenderMode mode, int width, int height, bool fullScreen, int bpp) {
    Form = rtl::Create<win::TForm>(nullptr);
    Form->SetClientSize(width, height);
    Screen = rtl::Create<TArvexScreen>(Form);
    Screen->SetWindowHandle(Form->Handle());
    Screen->RenderMode = mode;
    Screen->Width = width;
    Screen->Height = height;
    Screen->FullScreen = fullScreen;
    Screen->Setbpp(bpp);
    Screen->Initialize();
    Renderer.SetScreen(Screen);
    Renderer.Activate();
}

ScreenRig::~ScreenRig() {
    FTextures.clear();
    rtl::TComponent::Free(Form);
}

Image ScreenRig::BackBuffer() const {
    Image image;
    image.Width = static_cast<int>(Screen->PresentParams().BackBufferWidth);
    image.Height = static_cast<int>(Screen->PresentParams().BackBufferHeight);
    image.Pixels = Screen->Device()->ReadBackBuffer();
    return image;
}

d3d::Texture* ScreenRig::MakeTexture(const Image& picture, uint32_t colorKey) {
    std::unique_ptr<d3d::Texture> texture;
    const d3d::HRESULT hr = d3d::D3DXCreateTextureFromPixels(
        Screen->Device(), picture.Pixels.data(), static_cast<d3d::UINT>(picture.Width),
        static_cast<d3d::UINT>(picture.Height), colorKey, &texture);
    EXPECT_EQ(hr, d3d::D3D_OK);
    FTextures.push_back(std::move(texture));
    return FTextures.back().get();
}

d3d::Texture* ScreenRig::MakeTextureOfFormat(const Image& picture, d3d::D3DFORMAT format) {
    std::unique_ptr<d3d::Texture> texture;
    EXPECT_EQ(Screen->Device()->CreateTexture(static_cast<d3d::UINT>(picture.Width),
                                              static_cast<d3d::UINT>(picture.Height), 1, 0, format,
                                              d3d::D3DPOOL_MANAGED, &texture),
              d3d::D3D_OK);
    d3d::D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const uint32_t p = picture.At(x, y);
            auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            if (d3d::BytesPerPixel(format) == 4) {
                // X8R8G8B8 ignores its top byte: fill it with something that is not opaque.
                const uint32_t v =
                    format == d3d::D3DFMT_X8R8G8B8 ? (p & 0x00FFFFFF) | 0x33000000 : p;
                std::memcpy(row + 4 * x, &v, 4);
            } else {
                const uint16_t v =
                    format == d3d::D3DFMT_R5G6B5
                        ? d3d::PackR5G6B5(p)
                        : static_cast<uint16_t>((p >> 28) << 12 | ((p >> 20) & 15) << 8 |
                                                ((p >> 12) & 15) << 4 | ((p >> 4) & 15));
                std::memcpy(row + 2 * x, &v, 2);
            }
        }
    texture->UnlockRect(0);
    FTextures.push_back(std::move(texture));
    return FTextures.back().get();
}

void DrawTile(ScreenRig& rig, const TileDraw& t) {
    TArvexRenderer& r = rig.Renderer;
    const float scaleX = t.ScaleX == 0 ? 1 : t.ScaleX, scaleY = t.ScaleY == 0 ? 1 : t.ScaleY;
    if (t.BlendMode != -1)
        rig.Screen->SetBlendMode(t.BlendMode);
    r.SetColors(t.Colors[0], t.Colors[1], t.Colors[2], t.Colors[3]);
    r.FlipV = t.FlipV;
    r.FlipH = t.FlipH;
    const float texW = t.Texture ? static_cast<float>(t.Texture->Width()) : t.PictureWidth;
    const float texH = t.Texture ? static_cast<float>(t.Texture->Height()) : t.PictureHeight;
    const float u1 = t.PictureWidth / texW, v1 = t.PictureHeight / texH;
    r.SetTexCoords(0, 0, u1, 0, u1, v1, 0, v1);
    r.SetTexture(const_cast<d3d::Texture*>(t.Texture));
    const float x1 = static_cast<float>(t.X), y1 = static_cast<float>(t.Y);
    const float x2 = x1 + t.PictureWidth, y2 = y1 + t.PictureHeight;
    r.SetPositions(x1 - 0.5f, y1 - 0.5f, x2 - 0.5f, y1 - 0.5f, x2 - 0.5f, y2 - 0.5f, x1 - 0.5f,
                   y2 - 0.5f);
    r.RotateScale(x1 + t.PictureWidth * t.CenterX, y1 + t.PictureHeight * t.CenterY, t.Rotation,
                  scaleX, scaleY);
    r.Draw();
}

// ---- Pictures ----------------------------------------------------------------------------------

namespace pictures {

namespace {

Image Blank(int width, int height) {
    Image image;
    image.Width = width;
    image.Height = height;
    image.Pixels.assign(static_cast<size_t>(width) * height, 0);
    return image;
}

uint32_t Argb(int a, int r, int g, int b) {
    const auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

} // namespace

Image Gradient(int width, int height) {
    Image image = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Pixels[static_cast<size_t>(y) * width + x] =
                Argb(255, x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1),
                     255 - (x + y) * 255 / std::max(1, width + height - 2));
    return image;
}

Image Quadrants(int width, int height) {
    Image image = Blank(width, height);
    const uint32_t colours[4] = {Argb(255, 230, 40, 40), Argb(255, 40, 200, 60),
                                 Argb(255, 50, 80, 230), Argb(255, 240, 220, 40)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int q = (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0);
            uint32_t p = colours[q];
            // A white bar along the top and a dark one down the left edge of the first
            // quadrant tell every flip apart.
            if (y < height / 8 && x < width * 3 / 4)
                p = Argb(255, 255, 255, 255);
            if (x < width / 8 && y < height * 3 / 4)
                p = Argb(255, 20, 20, 20);
            image.Pixels[static_cast<size_t>(y) * width + x] = p;
        }
    return image;
}

Image Checker(int width, int height, int cell, uint32_t a, uint32_t b) {
    Image image = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Pixels[static_cast<size_t>(y) * width + x] = ((x / cell + y / cell) % 2) ? b : a;
    return image;
}

Image Sprite(int width, int height) {
    Image image = Blank(width, height);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    const double radius = std::min(width, height) * 0.42;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d > radius)
                continue; // fully transparent around the disc
            const int alpha = d > radius - 3 ? static_cast<int>(255 * (radius - d) / 3) : 255;
            image.Pixels[static_cast<size_t>(y) * width + x] =
                Argb(alpha, 250 - x * 160 / width, 120 + y * 120 / height,
                     60 + (x + y) * 190 / (width + height));
        }
    return image;
}

Image AlphaBars(int width, int height) {
    Image image = Blank(width, height);
    const uint32_t bars[4] = {Argb(0, 255, 64, 32), Argb(0, 40, 220, 90), Argb(0, 60, 90, 255),
                              Argb(0, 255, 255, 255)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int alpha = 255 - y * 255 / std::max(1, height - 1);
            image.Pixels[static_cast<size_t>(y) * width + x] =
                bars[x * 4 / width] | static_cast<uint32_t>(alpha) << 24;
        }
    return image;
}

} // namespace pictures

// ---- Scenes ------------------------------------------------------------------------------------

namespace {

void Frame(ScreenRig& rig, uint8_t r, uint8_t g, uint8_t b, const std::function<void()>& body) {
    rig.Screen->BeginScene();
    rig.Screen->Clear(r, g, b, 255);
    body();
    rig.Screen->EndScene();
}

TileDraw Tile(const d3d::Texture* texture, int w, int h, int x, int y) {
    TileDraw t;
    t.Texture = texture;
    t.PictureWidth = w;
    t.PictureHeight = h;
    t.X = x;
    t.Y = y;
    return t;
}

void BlendModes(ScreenRig& rig) {
    const d3d::Texture* back = rig.MakeTexture(pictures::Gradient(256, 96));
    const d3d::Texture* bars = rig.MakeTexture(pictures::AlphaBars(32, 32));
    Frame(rig, 30, 30, 30, [&] {
        DrawTile(rig, Tile(back, 256, 96, 0, 0));
        for (int mode = 0; mode < 14; ++mode) {
            TileDraw t = Tile(bars, 32, 32, 4 + (mode % 7) * 36, 8 + (mode / 7) * 44);
            t.BlendMode = mode;
            DrawTile(rig, t);
        }
    });
}

void Tint(ScreenRig& rig) {
    const d3d::Texture* gradient = rig.MakeTexture(pictures::Gradient(48, 48));
    Frame(rig, 20, 24, 28, [&] {
        TileDraw corners = Tile(nullptr, 48, 48, 8, 8);
        const uint32_t c[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x40FFFFFF};
        std::copy(std::begin(c), std::end(c), corners.Colors);
        DrawTile(rig, corners);
        rig.Screen->SetColor(0xC0FF8040);
        DrawTile(rig, Tile(gradient, 48, 48, 72, 8));
        rig.Screen->SetColor(0xFFFFFFFF);
        TileDraw half = Tile(gradient, 48, 48, 136, 8);
        for (uint32_t& colour : half.Colors)
            colour = 0x80FEFEFE;
        DrawTile(rig, half);
    });
}

void Flips(ScreenRig& rig) {
    const d3d::Texture* quadrants = rig.MakeTexture(pictures::Quadrants(32, 32));
    Frame(rig, 60, 60, 70, [&] {
        for (int i = 0; i < 4; ++i) {
            TileDraw t = Tile(quadrants, 32, 32, 8 + i * 40, 8);
            t.FlipV = (i & 2) != 0;
            t.FlipH = (i & 1) != 0;
            DrawTile(rig, t);
        }
    });
}

void Rotation(ScreenRig& rig) {
    const d3d::Texture* quadrants = rig.MakeTexture(pictures::Quadrants(32, 32));
    const d3d::Texture* sprite = rig.MakeTexture(pictures::Sprite(32, 32));
    Frame(rig, 60, 60, 70, [&] {
        const float angles[3] = {0, 90, 180};
        for (int i = 0; i < 3; ++i) {
            TileDraw t = Tile(quadrants, 32, 32, 8 + i * 44, 16);
            t.Rotation = angles[i];
            DrawTile(rig, t);
        }
        TileDraw turned = Tile(quadrants, 32, 32, 150, 16);
        turned.Rotation = 30;
        turned.ScaleX = 1.5f;
        turned.ScaleY = 0.75f;
        DrawTile(rig, turned);
        TileDraw corner = Tile(sprite, 32, 32, 150, 16);
        corner.Rotation = -40;
        corner.CenterX = corner.CenterY = 0;
        DrawTile(rig, corner);
    });
}

void Coverage64(ScreenRig& rig) {
    const d3d::Texture* gradient = rig.MakeTexture(pictures::Gradient(64, 64));
    Frame(rig, 200, 0, 200, [&] { DrawTile(rig, Tile(gradient, 64, 64, 0, 0)); });
}

void Filtering(ScreenRig& rig) {
    const d3d::Texture* checker =
        rig.MakeTexture(pictures::Checker(8, 8, 1, 0xFFF0F0F0, 0xFF3050C0));
    const d3d::Texture* gradient = rig.MakeTexture(pictures::Gradient(64, 64));
    const d3d::Texture* sprite = rig.MakeTexture(pictures::Sprite(32, 32));
    Frame(rig, 40, 40, 40, [&] {
        for (int linear = 0; linear < 2; ++linear) {
            rig.Screen->SetAntialias(linear != 0);
            const int x = 8 + linear * 128;
            TileDraw big = Tile(checker, 8, 8, x, 8);
            big.CenterX = big.CenterY = 0;
            big.ScaleX = big.ScaleY = 8;
            DrawTile(rig, big);
            TileDraw small = Tile(gradient, 64, 64, x + 72, 8);
            small.CenterX = small.CenterY = 0;
            small.ScaleX = small.ScaleY = 0.5f;
            DrawTile(rig, small);
            TileDraw soft = Tile(sprite, 32, 32, x + 72, 44);
            soft.CenterX = soft.CenterY = 0;
            soft.ScaleX = soft.ScaleY = 1.25f;
            DrawTile(rig, soft);
        }
        rig.Screen->SetAntialias(false);
    });
}

void Target16(ScreenRig& rig) {
    const d3d::Texture* gradient = rig.MakeTexture(pictures::Gradient(320, 240));
    const d3d::Texture* sprite = rig.MakeTexture(pictures::Sprite(64, 64));
    const d3d::Texture* bars = rig.MakeTexture(pictures::AlphaBars(64, 64));
    Frame(rig, 0, 0, 0, [&] {
        DrawTile(rig, Tile(gradient, 320, 240, 0, 0));
        for (int i = 0; i < 4; ++i) {
            TileDraw t = Tile(i % 2 ? bars : sprite, 64, 64, 16 + i * 72, 40 + (i % 2) * 80);
            t.BlendMode = i < 2 ? 0 : 1;
            DrawTile(rig, t);
        }
    });
}

void TextureFormats(ScreenRig& rig) {
    Image picture = pictures::Sprite(16, 16);
    for (int i = 0; i < 16; ++i) // an opaque corner with the disc's colours
        picture.Pixels[static_cast<size_t>(i)] |= 0xFF000000u;
    const d3d::D3DFORMAT formats[4] = {d3d::D3DFMT_A8R8G8B8, d3d::D3DFMT_X8R8G8B8,
                                       d3d::D3DFMT_R5G6B5, d3d::D3DFMT_A4R4G4B4};
    const d3d::Texture* textures[4];
    for (int i = 0; i < 4; ++i)
        textures[i] = rig.MakeTextureOfFormat(picture, formats[i]);
    Frame(rig, 70, 40, 90, [&] {
        for (int linear = 0; linear < 2; ++linear) {
            rig.Screen->SetAntialias(linear != 0);
            for (int i = 0; i < 4; ++i) {
                TileDraw t = Tile(textures[i], 16, 16, 8 + i * 40, 8 + linear * 40);
                t.CenterX = t.CenterY = 0;
                t.ScaleX = t.ScaleY = 2;
                DrawTile(rig, t);
            }
        }
        rig.Screen->SetAntialias(false);
    });
}

void GameLike(ScreenRig& rig) {
    const d3d::Texture* back = rig.MakeTexture(pictures::Gradient(256, 192));
    const d3d::Texture* sprite = rig.MakeTexture(pictures::Sprite(64, 64));
    Frame(rig, 0, 0, 0, [&] {
        DrawTile(rig, Tile(back, 256, 192, 0, 0));
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column) {
                TileDraw t = Tile(sprite, 64, 64, column * 64, row * 64);
                for (uint32_t& c : t.Colors)
                    c = 0xFEFEFEFE;
                DrawTile(rig, t);
            }
    });
}

} // namespace

const std::vector<Scene>& Scenes() {
    static const std::vector<Scene> scenes = {
        {"clear", 64, 48, false, 32, [](ScreenRig& rig) { Frame(rig, 40, 90, 160, [] {}); }},
        {"blend_modes", 256, 96, false, 32, BlendModes},
        {"tint", 192, 64, false, 32, Tint},
        {"flips", 168, 48, false, 32, Flips},
        {"rotation", 208, 64, false, 32, Rotation},
        {"coverage_64", 96, 96, false, 32, Coverage64},
        {"filtering", 256, 96, false, 32, Filtering},
        {"target16", 320, 240, true, 16, Target16},
        {"texture_formats", 168, 88, false, 32, TextureFormats},
        {"game_like", 256, 192, false, 32, GameLike},
    };
    return scenes;
}

} // namespace testing_support
