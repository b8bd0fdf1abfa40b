// Devices without a window for the device tests, and a way to draw fans of vertices on them.
#pragma once

#include "platform/d3d/Direct3D8.h"
#include "tests/support/Headless.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace testing_support {

class DeviceRig {
public:
    DeviceRig() : D3D(d3d::Direct3DCreate8(d3d::D3D_SDK_VERSION)) {}

    std::unique_ptr<d3d::Device> Make(int width, int height,
                                      d3d::D3DFORMAT format = d3d::D3DFMT_X8R8G8B8,
                                      bool depth = true,
                                      d3d::D3DDEVTYPE type = d3d::D3DDEVTYPE_REF) {
        d3d::D3DPRESENT_PARAMETERS p;
        p.BackBufferWidth = static_cast<d3d::UINT>(width);
        p.BackBufferHeight = static_cast<d3d::UINT>(height);
        p.BackBufferFormat = format;
        p.SwapEffect = d3d::D3DSWAPEFFECT_DISCARD;
        p.Windowed = 1;
        p.EnableAutoDepthStencil = depth;
        p.AutoDepthStencilFormat = d3d::D3DFMT_D16;
        std::unique_ptr<d3d::Device> device;
        EXPECT_EQ(D3D->CreateDevice(0, type, nullptr, d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p,
                                    &device),
                  d3d::D3D_OK);
        return device;
    }

    HeadlessApp App; // the display subsystem the Direct3D object needs
    std::unique_ptr<d3d::Direct3D8> D3D;
};

// Draws the vertices as one triangle fan through a managed vertex buffer.
inline d3d::HRESULT DrawFan(d3d::Device& device, const std::vector<d3d::TLVertex>& vertices) {
    std::unique_ptr<d3d::VertexBuffer> buffer;
    const auto bytes = static_cast<d3d::UINT>(vertices.size() * sizeof(d3d::TLVertex));
    if (d3d::FAILED(device.CreateVertexBuffer(bytes, d3d::D3DUSAGE_WRITEONLY, d3d::kTLVertexFVF,
                                              d3d::D3DPOOL_MANAGED, &buffer)))
        return d3d::E_FAIL;
    uint8_t* data = nullptr;
    buffer->Lock(0, bytes, &data, 0);
    std::memcpy(data, vertices.data(), bytes);
    buffer->Unlock();
    device.SetVertexShader(d3d::kTLVertexFVF);
    device.SetStreamSource(0, buffer.get(), sizeof(d3d::TLVertex));
    return device.DrawPrimitive(d3d::D3DPT_TRIANGLEFAN, 0,
                                static_cast<d3d::UINT>(vertices.size() - 2));
}

// An upright rectangle covering the pixels [x, x + w) x [y, y + h), the way the engine passes
// one (edges half a pixel before the first pixel centre and on the last one's far side).
inline std::vector<d3d::TLVertex> Rect(float x, float y, float w, float h, uint32_t colour,
                                       float z = 0) {
    const float l = x - 0.5f, t = y - 0.5f, r = x + w, b = y + h;
    return {{l, t, z, 1, colour, 0, 0},
            {r, t, z, 1, colour, 1, 0},
            {r, b, z, 1, colour, 1, 1},
            {l, b, z, 1, colour, 0, 1}};
}

} // namespace testing_support
