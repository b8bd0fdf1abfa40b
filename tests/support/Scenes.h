// Test scenes drawn through the engine's screen and quad renderer, the way the game draws:
// the same scenes make the golden pictures of the software device and are drawn again on the
// OpenGL device to compare the two.
#pragma once

#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "tests/support/GoldenImage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// A form with an initialised screen on it.
class ScreenRig {
public:
    ScreenRig(TRenderMode mode, int width, int height, bool fullScreen = false, int bpp = 32);
    ~ScreenRig();
    ScreenRig(const ScreenRig&) = delete;
    ScreenRig& operator=(const ScreenRig&) = delete;

    // The back buffer as it is now.
    Image BackBuffer() const;
    // A texture holding the picture at its top left (see D3DXCreateTextureFromPixels).
    d3d::Texture* MakeTexture(const Image& picture, uint32_t colorKey = 0);
    // A texture of the given format holding the picture (power-of-two sides), converted the
    // way each format stores colour.
    d3d::Texture* MakeTextureOfFormat(const Image& picture, d3d::D3DFORMAT format);

    win::TForm* Form = nullptr;
    TArvexScreen* Screen = nullptr;
    TArvexRenderer Renderer;

private:
    std::vector<std::unique_ptr<d3d::Texture>> FTextures;
};

// A picture tile drawn as the image list draws one: corners shifted by half a pixel, rotation
// and scale about a centre given as fractions of the tile.
struct TileDraw {
    const d3d::Texture* Texture = nullptr;
    int PictureWidth = 0; // the part of the texture that holds the picture
    int PictureHeight = 0;
    int X = 0;
    int Y = 0;
    float Rotation = 0;
    float CenterX = 0.5f;
    float CenterY = 0.5f;
    float ScaleX = 1;
    float ScaleY = 1;
    uint32_t Colors[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    bool FlipV = false;
    bool FlipH = false;
    int BlendMode = 0;
};
void DrawTile(ScreenRig& rig, const TileDraw& tile);

// Procedural pictures.
namespace pictures {
Image Gradient(int width, int height);  // opaque, smooth in both directions
Image Quadrants(int width, int height); // four colours and a marker: shows any flip
Image Checker(int width, int height, int cell, uint32_t a, uint32_t b);
Image Sprite(int width, int height);    // a soft-edged disc on transparent texels
Image AlphaBars(int width, int height); // colour bars fading from opaque to clear
} // namespace pictures

struct Scene {
    std::string Name;
    int Width;
    int Height;
    bool FullScreen;
    int Bpp;
    std::function<void(ScreenRig&)> Draw; // a whole frame: begin, clear, draw, end
};
const std::vector<Scene>& Scenes();

} // namespace testing_support
