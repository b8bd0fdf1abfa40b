// The game's frame on the software device, and the same scene on SDL2's own software renderer
// for scale: clear, a 1024 x 768 background from a 1024 x 1024 texture, 192 sprites of 64 x 64
// with transparent pixels on the 16 x 12 grid, three 100 x 21 buttons, vertex colour
// 0xFEFEFEFE, normal alpha blending. Prints frames per second and milliseconds per frame with
// point and bilinear filtering, one thread, each line naming the device it measured. Under an
// X display with OpenGL (SDL_VIDEODRIVER=x11, for example tests/e2e/with_xvfb.sh
// build/release/bench_frame) it measures the OpenGL device too, even where the processor draws
// OpenGL (KOSMORRA_DEVICE=gl is set for it; the game itself would take the software device
// there), beside a plain OpenGL program drawing the same frame on the same driver: the same
// power-of-two textures, a depth buffer (16 bits asked for) cleared, tested and written as the
// game's screen has its own, the frame's vertices uploaded once, one draw call per texture change,
// straight into the window. The plain program runs after the device, in the same process and so
// with the heap setting the device makes (a fixed trim threshold, see GlDevice.cpp): left to
// glibc's own, either of them may fault its frame's memory in afresh every frame or not,
// depending on what the process freed before. Beside frames per second it prints the processor
// time a frame took in all the process's threads, the driver's included: on a loaded machine the
// steadier figure. Asserts nothing.
//
// Usage: bench_frame [seconds per measurement, default 2]
#include "engine/display/ArvexRenderer.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/D3DX.h"
#include "platform/d3d/soft/SoftDevice.h"
#include "platform/d3d/soft/SoftRaster.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <epoxy/gl.h>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1024, kHeight = 768;
constexpr uint32_t kVertexColour = 0xFEFEFEFE;

// ---- Pictures --------------------------------------------------------------------------------

struct Picture {
    int Width;
    int Height;
    std::vector<uint32_t> Pixels;
};

uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    return x ^ (x >> 16);
}

Picture Background() {
    Picture p{kWidth, kHeight, std::vector<uint32_t>(static_cast<size_t>(kWidth) * kHeight)};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t n = Hash(static_cast<uint32_t>(y * kWidth + x)) & 15;
            p.Pixels[static_cast<size_t>(y) * kWidth + x] =
                0xFF000000u | (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | (96 + n);
        }
    return p;
}

// A 64 x 64 tile whose corners are transparent, like the game's walls, boxes and pusher.
Picture Sprite(int kind) {
    Picture p{64, 64, std::vector<uint32_t>(64 * 64, 0)};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double d = std::hypot(x - 31.5, y - 31.5);
            if (d > 30 - kind * 2)
                continue;
            p.Pixels[static_cast<size_t>(y) * 64 + x] =
                0xFF000000u | ((40 + kind * 50) & 0xFF) << 16 | (x * 4) << 8 | (y * 4);
        }
    return p;
}

Picture Button() {
    Picture p{100, 21, std::vector<uint32_t>(100 * 21)};
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 100; ++x)
            p.Pixels[static_cast<size_t>(y) * 100 + x] = 0xE0000000u | (y * 10) << 16 | 0x4080;
    return p;
}

// ---- The scene on our device ------------------------------------------------------------------

struct Tile {
    d3d::Texture* Texture;
    int Width;
    int Height;
};

// What the image list does for Draw(X, Y, 0).
void DrawTile(TArvexScreen& screen, TArvexRenderer& r, const Tile& t, int x, int y) {
    screen.SetBlendMode(0);
    r.SetColors(kVertexColour, kVertexColour, kVertexColour, kVertexColour);
    r.FlipV = r.FlipH = false;
    const float u = static_cast<float>(t.Width) / t.Texture->Width();
    const float v = static_cast<float>(t.Height) / t.Texture->Height();
    r.SetTexCoords(0, 0, u, 0, u, v, 0, v);
    r.SetTexture(t.Texture);
    const float x1 = x - 0.5f, y1 = y - 0.5f, x2 = x + t.Width - 0.5f, y2 = y + t.Height - 0.5f;
    r.SetPositions(x1, y1, x2, y1, x2, y2, x1, y2);
    r.RotateScale(x + t.Width * 0.5f, y + t.Height * 0.5f, 0, 1, 1);
    r.Draw();
}

struct OurScene {
    std::vector<std::unique_ptr<d3d::Texture>> Textures;
    Tile Back{}, Sprites[4]{}, Buttons{};

    Tile Make(d3d::Device* device, const Picture& p) {
        std::unique_ptr<d3d::Texture> texture;
        d3d::D3DXCreateTextureFromPixels(device, p.Pixels.data(), p.Width, p.Height, 0, &texture);
        Textures.push_back(std::move(texture));
        return Tile{Textures.back().get(), p.Width, p.Height};
    }

    explicit OurScene(d3d::Device* device) {
        Back = Make(device, Background());
        for (int i = 0; i < 4; ++i)
            Sprites[i] = Make(device, Sprite(i));
        Buttons = Make(device, Button());
    }

    void Draw(TArvexScreen& screen, TArvexRenderer& r) const {
        screen.Clear(0, 0, 0, 255);
        DrawTile(screen, r, Back, 0, 0);
        for (int row = 0; row < 12; ++row)
            for (int column = 0; column < 16; ++column)
                DrawTile(screen, r, Sprites[(row * 16 + column) % 4], column * 64, row * 64);
        for (int i = 0; i < 3; ++i)
            DrawTile(screen, r, Buttons, 20 + i * 120, 740);
    }
};

// ---- Measuring --------------------------------------------------------------------------------

struct Figure {
    double FramesPerSecond;
    double MsPerFrame;
    double CpuMsPerFrame; // the processor time of all the process's threads, driver's included
};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

Figure Measure(double seconds, const std::function<void()>& frame) {
    for (int i = 0; i < 5; ++i)
        frame(); // warm up caches and conversions
    int frames = 0;
    const double cpuStart = CpuMs();
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        frame();
        ++frames;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return Figure{frames / elapsed, elapsed * 1000.0 / frames, (CpuMs() - cpuStart) / frames};
}

void Print(const char* what, const char* filter, const Figure& f, const char* target) {
    std::printf("  %-44s %-8s %8.1f frames/s %8.3f ms/frame %8.3f CPU ms/frame  %s\n", what, filter,
                f.FramesPerSecond, f.MsPerFrame, f.CpuMsPerFrame, target);
}

// Draws the frame with the software device, without presenting (the rasterizer's own cost)
// or presenting into a hidden window, or with the OpenGL device, which presents every frame:
// its work is only done once the frame is shown.
enum class Run { SoftDrawing, SoftPresenting, OpenGL };

void MeasureOurs(double seconds, Run run) {
    auto* form = rtl::Create<win::TForm>(nullptr);
    form->SetClientSize(kWidth, kHeight);
    auto* screen = rtl::Create<TArvexScreen>(form);
    screen->SetWindowHandle(run == Run::SoftDrawing ? nullptr : static_cast<win::HWND>(form));
    screen->RenderMode = run == Run::OpenGL ? rmHardware : rmReference;
    screen->Width = kWidth;
    screen->Height = kHeight;
    screen->Initialize();
    if (!screen->Device()) {
        std::printf("  no device could be made\n");
        rtl::TComponent::Free(form);
        return;
    }
    if (run == Run::OpenGL && std::string(screen->Device()->BackendName()) != "gl") {
        std::printf("  OpenGL device: unavailable here (it needs an X display with OpenGL; run "
                    "under tests/e2e/with_xvfb.sh)\n");
        rtl::TComponent::Free(form);
        return;
    }
    std::printf("  device measured: %s\n", screen->Device()->BackendName());
    TArvexRenderer renderer;
    renderer.SetScreen(screen);
    renderer.Activate();
    {
        OurScene scene(screen->Device());
        for (int linear = 0; linear < 2; ++linear) {
            screen->SetAntialias(linear != 0);
            const Figure f = Measure(seconds, [&] {
                screen->BeginScene();
                scene.Draw(*screen, renderer);
                if (run == Run::SoftDrawing)
                    screen->Device()->EndScene(); // the frame without its presentation
                else
                    screen->EndScene();
            });
            const char* what = run == Run::SoftDrawing      ? "SoftDevice, drawing"
                               : run == Run::SoftPresenting ? "SoftDevice, drawing and presenting"
                                                            : "GlDevice, drawing and presenting";
            const char* target = run != Run::SoftDrawing ? ""
                                 : linear                ? "(target >= 200)"
                                                         : "(target >= 400)";
            Print(what, linear ? "bilinear" : "point", f, target);
        }
    }
    rtl::TComponent::Free(form);
}

// The same scene through SDL_RenderGeometry on SDL's software renderer.
void MeasureSDL(double seconds) {
    SDL_Surface* target =
        SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
    if (!target || !renderer) {
        std::printf("  SDL software renderer unavailable: %s\n", SDL_GetError());
        return;
    }
    const auto make = [&](const Picture& p) {
        SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STATIC, p.Width, p.Height);
        SDL_UpdateTexture(t, nullptr, p.Pixels.data(), p.Width * 4);
        SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
        return t;
    };
    SDL_Texture* back = make(Background());
    SDL_Texture* sprites[4];
    for (int i = 0; i < 4; ++i)
        sprites[i] = make(Sprite(i));
    SDL_Texture* button = make(Button());
    const auto quad = [&](SDL_Texture* t, float x, float y, float w, float h) {
        const SDL_Color c{254, 254, 254, 254};
        const SDL_Vertex v[4] = {{{x, y}, c, {0, 0}},
                                 {{x + w, y}, c, {1, 0}},
                                 {{x + w, y + h}, c, {1, 1}},
                                 {{x, y + h}, c, {0, 1}}};
        const int indices[6] = {0, 1, 2, 0, 2, 3};
        SDL_RenderGeometry(renderer, t, v, 4, indices, 6);
    };
    for (int linear = 0; linear < 2; ++linear) {
        const SDL_ScaleMode mode = linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
        SDL_SetTextureScaleMode(back, mode);
        SDL_SetTextureScaleMode(button, mode);
        for (SDL_Texture* s : sprites)
            SDL_SetTextureScaleMode(s, mode);
        const Figure f = Measure(seconds, [&] {
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderClear(renderer);
            quad(back, 0, 0, kWidth, kHeight);
            for (int row = 0; row < 12; ++row)
                for (int column = 0; column < 16; ++column)
                    quad(sprites[(row * 16 + column) % 4], column * 64.0f, row * 64.0f, 64, 64);
            for (int i = 0; i < 3; ++i)
                quad(button, 20.0f + i * 120, 740, 100, 21);
            SDL_RenderFlush(renderer);
        });
        Print("SDL2 software renderer, SDL_RenderGeometry", linear ? "bilinear" : "point", f, "");
    }
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(target);
}

// ---- A plain OpenGL program drawing the same frame ---------------------------------------------

const char* kPlainVertex = R"(#version 330 core
layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
    gl_Position = vec4(aPosition.x / 512.0 - 1.0, 1.0 - aPosition.y / 384.0, 0.0, 1.0);
    vColour = aColour;
    vTexCoord = aTexCoord;
}
)";

const char* kPlainFragment = R"(#version 330 core
in vec4 vColour;
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fColour;
void main() { fColour = texture(uTexture, vTexCoord) * vColour; }
)";

struct PlainVertex {
    float X, Y;
    uint32_t Colour;
    float U, V;
};

GLuint PlainShader(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Returns the OpenGL renderer's name, or "" when there is no OpenGL here.
std::string MeasurePlainGL(double seconds) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window* window = SDL_CreateWindow("bench_frame", 0, 0, kWidth, kHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        if (window)
            SDL_DestroyWindow(window);
        return "";
    }
    SDL_GL_SetSwapInterval(0);
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const GLuint program = glCreateProgram();
    const GLuint vs = PlainShader(GL_VERTEX_SHADER, kPlainVertex);
    const GLuint fs = PlainShader(GL_FRAGMENT_SHADER, kPlainFragment);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glUseProgram(program);
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    const auto offset = [](size_t bytes) { return reinterpret_cast<const void*>(bytes); };
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(PlainVertex), offset(0));
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(PlainVertex), offset(8));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(PlainVertex), offset(12));
    for (GLuint i = 0; i < 3; ++i)
        glEnableVertexAttribArray(i);
    // Textures of power-of-two sizes, the picture in their top left corner, as the game's image
    // lists make them.
    struct PlainTexture {
        GLuint Name;
        float U, V; // where the picture ends
    };
    const auto make = [](const Picture& p) {
        int width = 1, height = 1;
        while (width < p.Width)
            width *= 2;
        while (height < p.Height)
            height *= 2;
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, p.Width, p.Height, GL_BGRA,
                        GL_UNSIGNED_INT_8_8_8_8_REV, p.Pixels.data());
        return PlainTexture{name, static_cast<float>(p.Width) / width,
                            static_cast<float>(p.Height) / height};
    };
    std::vector<PlainTexture> textures{make(Background())};
    for (int i = 0; i < 4; ++i)
        textures.push_back(make(Sprite(i)));
    textures.push_back(make(Button()));
    // The frame: which texture each quad uses, and its vertices, two triangles a quad.
    std::vector<GLuint> quadTexture;
    std::vector<PlainVertex> vertices;
    const auto quad = [&](const PlainTexture& t, float x, float y, float w, float h) {
        quadTexture.push_back(t.Name);
        const PlainVertex a{x, y, kVertexColour, 0, 0}, b{x + w, y, kVertexColour, t.U, 0},
            c{x + w, y + h, kVertexColour, t.U, t.V}, d{x, y + h, kVertexColour, 0, t.V};
        vertices.insert(vertices.end(), {a, b, c, a, c, d});
    };
    quad(textures[0], 0, 0, kWidth, kHeight);
    for (int row = 0; row < 12; ++row)
        for (int column = 0; column < 16; ++column)
            quad(textures[1 + (row * 16 + column) % 4], column * 64.0f, row * 64.0f, 64, 64);
    for (int i = 0; i < 3; ++i)
        quad(textures[5], 20.0f + i * 120, 740, 100, 21);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The game's screen keeps a 16-bit depth buffer, tested and written by every 2D draw.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glViewport(0, 0, kWidth, kHeight);
    for (int linear = 0; linear < 2; ++linear) {
        for (const PlainTexture& t : textures) {
            glBindTexture(GL_TEXTURE_2D, t.Name);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR : GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        }
        const Figure f = Measure(seconds, [&] {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glBufferData(GL_ARRAY_BUFFER,
                         static_cast<GLsizeiptr>(vertices.size() * sizeof(PlainVertex)),
                         vertices.data(), GL_STREAM_DRAW);
            size_t first = 0;
            while (first < quadTexture.size()) {
                size_t last = first + 1;
                while (last < quadTexture.size() && quadTexture[last] == quadTexture[first])
                    ++last;
                glBindTexture(GL_TEXTURE_2D, quadTexture[first]);
                glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first * 6),
                             static_cast<GLsizei>((last - first) * 6));
                first = last;
            }
            SDL_GL_SwapWindow(window);
        });
        Print("plain OpenGL program, same frame", linear ? "bilinear" : "point", f,
              "(the GlDevice's target: at least this)");
    }
    for (const PlainTexture& t : textures)
        glDeleteTextures(1, &t.Name);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return renderer;
}

std::string CpuName() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown";
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    win::SetHeadless(true);
    win::TApplication application;
    if (!application.Initialize())
        return 1;
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    std::printf("bench_frame: the game's frame, %d x %d, 192 sprites, 3 buttons, one thread\n",
                kWidth, kHeight);
    std::printf("  machine: %s, %u hardware threads\n", CpuName().c_str(),
                std::thread::hardware_concurrency());
    std::printf("  build: %s, g++ %s, compiled for %s, SDL %d.%d.%d\n",
#ifdef NDEBUG
                "Release",
#else
                "Debug (figures not representative)",
#endif
                __VERSION__,
#if defined(__AVX2__)
                "AVX2",
#elif defined(__SSE2__)
                "the SSE2 baseline",
#else
                "no vector instructions",
#endif
                sdl.major, sdl.minor, sdl.patch);
    // The x86-64 baseline first, then what this processor offers (chosen at run time).
    const d3d::soft::VectorCode best = d3d::soft::BestVectorCode();
    for (d3d::soft::VectorCode code : {d3d::soft::VectorCode::SSE2, best}) {
        d3d::soft::SetVectorCode(code);
        std::printf("  software device loops: %s\n", d3d::soft::VectorCodeName(code));
        MeasureOurs(seconds, Run::SoftDrawing);
        MeasureOurs(seconds, Run::SoftPresenting);
        if (best == d3d::soft::VectorCode::SSE2)
            break;
    }
    MeasureSDL(seconds);
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("  (Mesa's llvmpipe threads: %s)\n",
                threads ? threads : "its default, one per core");
    // OpenGL only where SDL has a real display; the game would not take a CPU rasterizer as
    // hardware, the benchmark asks for it to compare.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) == "dummy" || std::string(driver) == "offscreen") {
        std::printf("  OpenGL: not measured, no display (SDL video driver %s; run with "
                    "SDL_VIDEODRIVER=x11 on an X display)\n",
                    driver ? driver : "none");
        return 0;
    }
    setenv("KOSMORRA_DEVICE", "gl", 1);
    MeasureOurs(seconds, Run::OpenGL);
    const std::string renderer = MeasurePlainGL(seconds);
    std::printf("  OpenGL renderer measured: %s\n",
                renderer.empty() ? "none (no OpenGL context here)" : renderer.c_str());
    return 0;
}
