// The quad renderer: one textured, coloured quad at a time, drawn through a screen's device,
// and the colour-packing helpers every drawing component uses.
//
// A renderer holds four pre-transformed vertices. Callers set positions, texture coordinates
// (mapped through the flip flags), colours and the texture, turn the quad with Rotate or
// RotateScale, and Draw it: the screen applies its global tint and transform and the quad goes
// to the device as a triangle fan of two triangles. No batching: every quad is its own draw.
#pragma once

#include "platform/d3d/Resources.h"
#include "platform/rtl/Component.h"
#include "platform/win/SysColors.h"

#include <cstddef>
#include <cstdint>

namespace d3d {
class Device;
}
class TArvexScreen;

// The device vertex of format 0x144: position in screen pixels with reciprocal w, one diffuse
// colour (packed ARGB), one texture coordinate pair.
//
// The device has its own type for this layout (d3d::TLVertex) and the two stay apart on
// purpose: a vertex buffer holds bytes, as a device's does, and the format number is the only
// thing engine and device share. The screen copies these vertices into the buffer with memcpy
// and the device copies the bytes back out into its type. That is safe because both types are
// trivially copyable and lay out the same fields at the same offsets, which the screen asserts
// against the device's type beside the copy.
struct ArvexVertex {
    float x;
    float y;
    float z;
    float rhw;
    uint32_t diffuse;
    float u;
    float v;
};
static_assert(sizeof(ArvexVertex) == 28, "ArvexVertex is the 28-byte device vertex");
static_assert(offsetof(ArvexVertex, diffuse) == 16 && offsetof(ArvexVertex, u) == 20 &&
                  offsetof(ArvexVertex, v) == 24,
              "ArvexVertex fields lie where the device reads them");

class TArvexRenderer : public rtl::TObject {
public:
    TArvexRenderer();
    ~TArvexRenderer() override;

    void SetScreen(TArvexScreen* screen);
    // Takes the screen's device and resets the quad to a white 100 x 100 square showing the
    // whole texture. Must run again after every device creation or reset.
    void Activate();
    // Corners clockwise from the top left. The right corners move half a pixel right and the
    // bottom ones half a pixel down, so that a quad given as its pixels' edges covers them.
    void SetPositions(float X1, float Y1, float X2, float Y2, float X3, float Y3, float X4,
                      float Y4);
    // Texture coordinates per corner, placed on the vertices as FlipV and FlipH say.
    void SetTexCoords(float U1, float V1, float U2, float V2, float U3, float V3, float U4,
                      float V4);
    void SetFlipV(bool flip) { FlipV = flip; }
    void SetFlipH(bool flip) { FlipH = flip; }
    void SetColors(uint32_t C1, uint32_t C2, uint32_t C3, uint32_t C4);
    void SetTexture(d3d::Texture* texture);
    // Angle in degrees; positive turns clockwise on screen (y grows downwards).
    void Rotate(float CenterX, float CenterY, float Angle);
    // Scales about the centre, then turns.
    void RotateScale(float CenterX, float CenterY, float Angle, float ScaleX, float ScaleY);
    void Draw();
    // The device-lost step: the renderer holds nothing that depends on the device's contents.
    void DeviceLost() {}

    d3d::Device* Device() const { return FDevice; }
    TArvexScreen* Screen() const { return FScreen; }

    bool Destroyed = false;
    float U1 = 0, V1 = 0, U2 = 0, V2 = 0, U3 = 0, V3 = 0, U4 = 0, V4 = 0;
    bool FlipV = false; // upside down
    bool FlipH = false; // mirrored left to right
    ArvexVertex Vertices[4];

private:
    bool Usable() const;
    d3d::Device* FDevice = nullptr;
    TArvexScreen* FScreen = nullptr;
};

// A value above 0xFFFFFF is packed ARGB already; anything else is a platform colour
// (0x00BBGGRR) made opaque.
uint32_t ColorToARGB(uint32_t value);
// A platform colour (system colours resolved) with the given alpha, as packed ARGB.
uint32_t TColorToARGB(win::TColor color, uint8_t alpha);
uint32_t PackARGB(uint8_t R, uint8_t G, uint8_t B, uint8_t A);
