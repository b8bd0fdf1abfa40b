// Draws turning, tinted, blended quads in a window through the screen and quad renderer, on
// the OpenGL device or the software one.
//
// Usage: quaddemo [--soft | --gl] [--full] [--frames N] [--screenshot FILE]
//   --soft         the software rasterizer (the default is the hardware device, which falls
//                  back to the software one when no OpenGL context can be made)
//   --full         full screen (the 640 x 480 picture scaled to the display)
//   --frames N     stop after N frames; with --screenshot, save the last one as a BMP file
#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/D3DX.h"
#include "platform/win/Application.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;

std::vector<uint32_t> Picture(int size, int kind) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint32_t p;
            if (kind == 0) { // a checkerboard with a border
                const bool border = x < 2 || y < 2 || x >= size - 2 || y >= size - 2;
                p = border ? 0xFFFFFFFF : ((x / 8 + y / 8) % 2 ? 0xFF3050C0 : 0xFFE0E0F0);
            } else { // a soft disc on clear texels
                const double d = std::hypot(x - size / 2.0 + 0.5, y - size / 2.0 + 0.5);
                const double edge = size * 0.45;
                const int a = d > edge       ? 0
                              : d > edge - 4 ? static_cast<int>(255 * (edge - d) / 4)
                                             : 255;
                p = a == 0 ? 0
                           : static_cast<uint32_t>(a) << 24 | (255 - x * 2) << 16 | (100 + y) << 8 |
                                 200;
            }
            pixels[static_cast<size_t>(y) * size + x] = p;
        }
    return pixels;
}

class DemoForm : public win::TForm {
public:
    DemoForm(rtl::TComponent* owner, TRenderMode mode, bool full) : win::TForm(owner) {
        SetCaption("Kosmorra quad demo");
        SetClientSize(kWidth, kHeight);
        Screen = rtl::Create<TArvexScreen>(this);
        Screen->SetWindowHandle(Handle());
        Screen->RenderMode = mode;
        Screen->Width = kWidth;
        Screen->Height = kHeight;
        Screen->FullScreen = full;
        Screen->Setbpp(32);
        Screen->Initialize();
        Screen->SetAntialias(true);
        Renderer.SetScreen(Screen);
        Renderer.Activate();
        for (int kind = 0; kind < 2; ++kind) {
            const std::vector<uint32_t> p = Picture(64, kind);
            std::unique_ptr<d3d::Texture> t;
            d3d::D3DXCreateTextureFromPixels(Screen->Device(), p.data(), 64, 64, 0, &t);
            Textures.push_back(std::move(t));
        }
    }

    void Frame(int n) {
        Screen->BeginScene();
        Screen->Clear(16, 20, 32, 255);
        const float t = n / 60.0f;
        for (int i = 0; i < 24; ++i) {
            const float x = 60.0f + (i % 6) * 100, y = 60.0f + (i / 6) * 110;
            Screen->SetBlendMode(i % 3 == 2 ? 1 : 0);
            const uint32_t tint = i % 4 == 3 ? 0xC0FF8060 : 0xFFFFFFFF;
            Renderer.SetColors(tint, tint, 0xFFFFFFFF, tint);
            Renderer.SetTexCoords(0, 0, 1, 0, 1, 1, 0, 1);
            Renderer.SetTexture(Textures[i % 2].get());
            Renderer.SetPositions(x - 32, y - 32, x + 32, y - 32, x + 32, y + 32, x - 32, y + 32);
            const float scale = 1.0f + 0.3f * std::sin(t + i);
            Renderer.RotateScale(x, y, (i % 5 == 0) ? 0 : t * 40 * ((i % 2) ? 1 : -1), scale,
                                 scale);
            Renderer.Draw();
        }
        Screen->EndScene();
    }

    TArvexScreen* Screen = nullptr;
    TArvexRenderer Renderer;
    std::vector<std::unique_ptr<d3d::Texture>> Textures;
};

} // namespace

int main(int argc, char** argv) {
    TRenderMode mode = rmHardware;
    bool full = false;
    int frames = -1;
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--soft")
            mode = rmReference;
        else if (a == "--gl")
            mode = rmHardware;
        else if (a == "--full")
            full = true;
        else if (a == "--frames" && i + 1 < argc)
            frames = std::atoi(argv[++i]);
        else if (a == "--screenshot" && i + 1 < argc)
            shot = argv[++i];
        else {
            std::fprintf(stderr, "usage: quaddemo [--soft | --gl] [--full] [--frames N] "
                                 "[--screenshot FILE]\n");
            return 2;
        }
    }
    win::TApplication application;
    if (!application.Initialize())
        return 1;
    application.Title = "Kosmorra quad demo";
    auto* form = new DemoForm(&application, mode, full);
    form->AfterConstruction();
    application.MainForm = form;
    std::printf("quaddemo: drawing on the %s device\n", form->Screen->Device()->BackendName());
    std::fflush(stdout);
    int n = 0;
    application.OnIdle = [&](rtl::TObject*, bool& done) {
        done = false;
        // The screenshot is taken from the front buffer while the next frame ends: one more
        // frame saves the last one.
        if (frames >= 0 && n == frames && !shot.empty())
            form->Screen->RequestScreenshot(shot);
        form->Frame(n++);
        if (frames >= 0 && n > frames)
            application.Terminate();
    };
    application.Run();
    return 0;
}
