#include "engine/display/ArvexRenderer.h"

#include "engine/display/ArvexScreen.h"
#include "platform/d3d/Device.h"

#include <cmath>
#include <numbers>

TArvexRenderer::TArvexRenderer() {
    for (ArvexVertex& v : Vertices)
        v = ArvexVertex{0, 0, 0, 1.0f, 0, 0, 0};
}

TArvexRenderer::~TArvexRenderer() {
    Destroyed = true;
}

void TArvexRenderer::SetScreen(TArvexScreen* screen) {
    FScreen = screen;
}

void TArvexRenderer::Activate() {
    if (!FScreen || !FScreen->Device())
        return;
    FDevice = FScreen->Device();
    SetFlipV(false);
    SetFlipH(false);
    SetPositions(0, 0, 100, 0, 100, 100, 0, 100);
    SetTexCoords(0, 0, 1, 0, 1, 1, 0, 1);
    SetColors(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
}

void TArvexRenderer::SetPositions(float X1, float Y1, float X2, float Y2, float X3, float Y3,
                                  float X4, float Y4) {
    Vertices[0].x = X1;
    Vertices[0].y = Y1;
    Vertices[1].x = X2 + 0.5f;
    Vertices[1].y = Y2;
    Vertices[2].x = X3 + 0.5f;
    Vertices[2].y = Y3 + 0.5f;
    Vertices[3].x = X4;
    Vertices[3].y = Y4 + 0.5f;
}

void TArvexRenderer::SetTexCoords(float aU1, float aV1, float aU2, float aV2, float aU3, float aV3,
                                  float aU4, float aV4) {
    U1 = aU1, V1 = aV1, U2 = aU2, V2 = aV2, U3 = aU3, V3 = aV3, U4 = aU4, V4 = aV4;
    const float u[4] = {U1, U2, U3, U4};
    const float v[4] = {V1, V2, V3, V4};
    // Which corner's coordinates each vertex takes (0-based corners).
    static constexpr int kCorner[2][2][4] = {
        {{0, 1, 2, 3}, {1, 0, 3, 2}}, // FlipV false: FlipH false, true
        {{3, 2, 1, 0}, {2, 3, 0, 1}}, // FlipV true:  FlipH false, true
    };
    const int* corner = kCorner[FlipV ? 1 : 0][FlipH ? 1 : 0];
    for (int i = 0; i < 4; ++i) {
        Vertices[i].u = u[corner[i]];
        Vertices[i].v = v[corner[i]];
    }
}

void TArvexRenderer::SetColors(uint32_t C1, uint32_t C2, uint32_t C3, uint32_t C4) {
    Vertices[0].diffuse = C1;
    Vertices[1].diffuse = C2;
    Vertices[2].diffuse = C3;
    Vertices[3].diffuse = C4;
}

void TArvexRenderer::SetTexture(d3d::Texture* texture) {
    if (Usable())
        FDevice->SetTexture(0, texture);
}

void TArvexRenderer::Rotate(float CenterX, float CenterY, float Angle) {
    RotateScale(CenterX, CenterY, Angle, 1.0f, 1.0f);
}

void TArvexRenderer::RotateScale(float CenterX, float CenterY, float Angle, float ScaleX,
                                 float ScaleY) {
    const double a = Angle * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    for (ArvexVertex& vertex : Vertices) {
        const double dx = vertex.x - CenterX, dy = vertex.y - CenterY;
        vertex.x = static_cast<float>(CenterX + c * ScaleX * dx - s * ScaleY * dy);
        vertex.y = static_cast<float>(CenterY + s * ScaleX * dx + c * ScaleY * dy);
    }
}

// A renderer not activated since the screen last made its device holds a device that is gone.
bool TArvexRenderer::Usable() const {
    return FScreen && FDevice && FScreen->Device() == FDevice;
}

void TArvexRenderer::Draw() {
    if (!Usable())
        return;
    FScreen->PrepareVertices(Vertices, 4);
    FDevice->DrawPrimitive(d3d::D3DPT_TRIANGLEFAN, 0, 2);
}

uint32_t ColorToARGB(uint32_t value) {
    if (value > 0xFFFFFF)
        return value;
    const uint32_t red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

uint32_t TColorToARGB(win::TColor color, uint8_t alpha) {
    const uint32_t rgb = win::ColorToRGB(color);
    const uint32_t red = rgb & 0xFF, green = (rgb >> 8) & 0xFF, blue = (rgb >> 16) & 0xFF;
    return uint32_t{alpha} << 24 | red << 16 | green << 8 | blue;
}

uint32_t PackARGB(uint8_t R, uint8_t G, uint8_t B, uint8_t A) {
    return uint32_t{A} << 24 | uint32_t{R} << 16 | uint32_t{G} << 8 | B;
}
