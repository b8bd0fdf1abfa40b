#include "platform/d3d/gl/GlDevice.h"

#include "platform/d3d/PixelFormats.h"
#include "platform/d3d/gl/GlShaders.h"
#include "platform/win/Forms.h"
#include "platform/win/X11Window.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <epoxy/gl.h>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <map>
#include <string>
#include <utility>

namespace d3d {

namespace {

struct GlTextureData : BackendData {
    GLuint Name = 0;
    uint64_t Revision = 0;
};

GLenum BlendFactor(D3DBLEND factor) {
    switch (factor) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    }
    return GL_ONE;
}

GLint Filter(D3DTEXTUREFILTERTYPE f) {
    return f == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
}

// The driver builds each frame in freshly allocated memory and frees it once the frame is
// drawn (llvmpipe: 6 to 8 MB for the game's screen). glibc gives the top of the heap back to
// the system once more than its trim threshold lies free there, a threshold it raises by
// itself only to twice the largest block it ever mapped; frames of about that size then had
// their memory mapped, zeroed and faulted in again every time, which cost llvmpipe 2.5 ms of a
// 14 ms frame, depending on what the process happened to free before. A fixed threshold well
// above a frame's needs keeps that memory in the heap. Blocks large enough to be mapped on
// their own (pictures, read-backs) still go back when freed.
void KeepFrameMemory() {
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

} // namespace

struct GlDevice::Objects {
    struct DrawProgram {
        GLuint Name = 0;
        GLint TargetSize = -1;
    };
    // By fragment shader source; made when first needed.
    std::map<std::string, DrawProgram> DrawPrograms;
    DrawProgram* Current = nullptr;
    GLuint PresentProgram = 0;
    GLint Gamma = -1;
    GLuint Vao = 0, Vbo = 0, EmptyVao = 0, Sampler = 0, Ramp = 0;
    GLuint Framebuffer = 0, Colour = 0, Depth = 0;
    GLuint FrontFramebuffer = 0, FrontColour = 0;
    // After a present the two pictures trade places, and the back buffer's contents are in the
    // front one until copied back: most frames begin by clearing, and never need them.
    bool BackStale = false;
    GLint MaxTextureSize = 0;
    bool WindowHasAlpha = true; // whether the window's pixels keep an alpha of their own
    // What the last draw left set; Drawing is false once anything else touched GL state.
    bool Drawing = false;
    DrawState Last;
    GLuint LastTexture = 0;
    GLint SamplerMin = -1, SamplerMag = -1; // the filters the sampler holds; -1 not set yet
    static constexpr GLsizeiptr kRingBytes = 32768 * sizeof(TLVertex);
    GLsizeiptr RingOffset = 0;
    // Draws not yet handed to GL: their triangles, and runs of them that share a state.
    struct Run {
        DrawState State;
        size_t First = 0;
        size_t Count = 0;
    };
    std::vector<TLVertex> Batch;
    std::vector<Run> Runs;
};

bool GlDevice::IsCpuRenderer(const char* renderer) {
    if (!renderer)
        return false;
    const std::string name = renderer;
    for (const char* rasterizer : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (name.find(rasterizer) != std::string::npos)
            return true;
    return false;
}

bool GlDevice::GpuPresent(const char* devices) {
    const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (software && *software && std::string(software) != "0")
        return false;
    std::error_code error;
    const std::filesystem::path root = devices;
    for (const auto& entry : std::filesystem::directory_iterator(root / "dri", error))
        if (entry.path().filename().string().rfind("renderD", 0) == 0)
            return true;
    return std::filesystem::exists(root / "nvidia0", error);
}

std::unique_ptr<GlDevice> GlDevice::Create(HWND window, bool acceptCpuRenderer) {
    auto* form = dynamic_cast<win::TForm*>(window);
    if (!form)
        return nullptr;
    form->Handle();
    auto* sdlWindow = static_cast<SDL_Window*>(form->NativeWindow());
    if (!sdlWindow || !(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL))
        return nullptr;
    // Whatever goes wrong from here, the window goes back to a plain one, which takes the
    // driver out of the process again: a CPU rasterizer alone holds tens of megabytes.
    const auto refuse = [&](SDL_GLContext context) {
        if (context) {
            SDL_GL_MakeCurrent(sdlWindow, nullptr);
            SDL_GL_DeleteContext(context);
        }
        form->RemakeWithoutOpenGL();
        return nullptr;
    };
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0); // depth lives in the framebuffer object
    SDL_GLContext context = nullptr;
    {
        win::x11::ErrorTrap trap;
        context = SDL_GL_CreateContext(sdlWindow);
        if (trap.Caught(sdlWindow))
            return refuse(context);
    }
    if (!context)
        return refuse(context);
    // The renderer's name is read through SDL, not libepoxy: libepoxy keeps the GL library it
    // opens for good, so it must not be touched before the device is sure to be kept.
    using GetString = const GLubyte* (*)(GLenum);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const auto* renderer = getString ? getString(GL_RENDERER) : nullptr;
    if (!renderer || (!acceptCpuRenderer && IsCpuRenderer(reinterpret_cast<const char*>(renderer))))
        return refuse(context);
    std::unique_ptr<GlDevice> device(new GlDevice(window, context));
    if (!device->Setup()) {
        device.reset();
        form->RemakeWithoutOpenGL();
        return nullptr;
    }
    KeepFrameMemory();
    return device;
}

GlDevice::GlDevice(HWND window, void* context)
    : Device(D3DDEVTYPE_HAL, window), FContext(context), FGl(std::make_unique<Objects>()) {}

GlDevice::~GlDevice() {
    MakeCurrent();
    for (Resource* r : Resources())
        ForgetResource(*r);
    ReleaseTargets();
    for (auto& [source, program] : FGl->DrawPrograms)
        glDeleteProgram(program.Name);
    glDeleteProgram(FGl->PresentProgram);
    glDeleteVertexArrays(1, &FGl->Vao);
    glDeleteVertexArrays(1, &FGl->EmptyVao);
    glDeleteBuffers(1, &FGl->Vbo);
    glDeleteSamplers(1, &FGl->Sampler);
    glDeleteTextures(1, &FGl->Ramp);
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(Window().NativeWindow()), nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(FContext));
}

void GlDevice::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() != FContext)
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(Window().NativeWindow()),
                           static_cast<SDL_GLContext>(FContext));
}

bool GlDevice::Setup() {
    MakeCurrent();
    if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33)
        return false;
    Objects& gl = *FGl;
    gl.PresentProgram = Link(kPresentVertex, kPresentFragment);
    // The engine's usual state made now, so that a driver that cannot compile it is found out
    // before the device is taken.
    if (!gl.PresentProgram || !UseProgramFor(DrawState{}))
        return false;
    glUseProgram(gl.PresentProgram);
    glUniform1i(glGetUniformLocation(gl.PresentProgram, "uPicture"), 0);
    glUniform1i(glGetUniformLocation(gl.PresentProgram, "uRamp"), 1);
    gl.Gamma = glGetUniformLocation(gl.PresentProgram, "uGamma");

    glGenVertexArrays(1, &gl.Vao);
    glGenVertexArrays(1, &gl.EmptyVao);
    glGenBuffers(1, &gl.Vbo);
    glBindVertexArray(gl.Vao);
    glBindBuffer(GL_ARRAY_BUFFER, gl.Vbo);
    glBufferData(GL_ARRAY_BUFFER, Objects::kRingBytes, nullptr, GL_STREAM_DRAW);
    const auto offset = [](size_t bytes) { return reinterpret_cast<const void*>(bytes); };
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(TLVertex), offset(0));
    // The diffuse colour's bytes lie B, G, R, A in memory.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(TLVertex), offset(16));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(TLVertex), offset(20));
    for (GLuint i = 0; i < 3; ++i)
        glEnableVertexAttribArray(i);

    glGenSamplers(1, &gl.Sampler);
    glSamplerParameteri(gl.Sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(gl.Sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);

    glGenTextures(1, &gl.Ramp);
    glBindTexture(GL_TEXTURE_2D, gl.Ramp);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16, 256, 1, 0, GL_RGB, GL_UNSIGNED_SHORT, nullptr);

    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &gl.MaxTextureSize);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_DITHER); // on by default in GL, off in the devices we stand in for
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (glGetError() != GL_NO_ERROR)
        return false;
    // A single-buffered window has no back buffer to ask about; its answer is then taken as
    // "has alpha", which only keeps presenting on the drawing path.
    GLint windowAlpha = 8;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_BACK_LEFT,
                                          GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &windowAlpha);
    gl.WindowHasAlpha = glGetError() != GL_NO_ERROR || windowAlpha > 0;
    return true;
}

// ---- Targets ------------------------------------------------------------------------------------

void GlDevice::ReleaseTargets() {
    Objects& gl = *FGl;
    glDeleteFramebuffers(1, &gl.Framebuffer);
    glDeleteFramebuffers(1, &gl.FrontFramebuffer);
    glDeleteTextures(1, &gl.Colour);
    glDeleteTextures(1, &gl.FrontColour);
    glDeleteRenderbuffers(1, &gl.Depth);
    gl.Framebuffer = gl.FrontFramebuffer = gl.Colour = gl.FrontColour = gl.Depth = 0;
}

HRESULT GlDevice::MakeTargets(const D3DPRESENT_PARAMETERS& params) {
    MakeCurrent();
    Objects& gl = *FGl;
    gl.Batch.clear(); // the target it was meant for goes
    gl.Runs.clear();
    gl.BackStale = false;
    ReleaseTargets();
    gl.Drawing = false;
    FFormat = params.BackBufferFormat;
    FWidth = static_cast<int>(params.BackBufferWidth);
    FHeight = static_cast<int>(params.BackBufferHeight);
    FPresented = false;
    const bool sixteen = FFormat == D3DFMT_R5G6B5;
    const auto colourTexture = [&](GLuint& name) {
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (sixteen) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, FWidth, FHeight, 0, GL_RGB,
                         GL_UNSIGNED_SHORT_5_6_5, nullptr);
            return;
        }
        // Unsized, so that the driver may keep the channels in the order the pixels come in,
        // B, G, R, A: the window's own order on Mesa, which then presents by copying rows.
        // Asked for as RGBA8 it stores R first, and every present became a drawing pass over
        // the window (3.4 ms of a frame's 14 on llvmpipe). Any other choice than eight bits a
        // channel is not taken.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, FWidth, FHeight, 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        GLint bits[4] = {};
        const GLenum channels[4] = {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE,
                                    GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE};
        for (int i = 0; i < 4; ++i)
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, channels[i], &bits[i]);
        if (std::any_of(bits, bits + 4, [](GLint b) { return b != 8; }))
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, FWidth, FHeight, 0, GL_BGRA,
                         GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    };
    colourTexture(gl.Colour);
    colourTexture(gl.FrontColour);
    glGenFramebuffers(1, &gl.Framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.Framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl.Colour, 0);
    if (params.EnableAutoDepthStencil) {
        glGenRenderbuffers(1, &gl.Depth);
        glBindRenderbuffer(GL_RENDERBUFFER, gl.Depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, FWidth, FHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gl.Depth);
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glGenFramebuffers(1, &gl.FrontFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.FrontFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl.FrontColour, 0);
    if (!complete || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR)
        return D3DERR_NOTAVAILABLE;

    // A window presents at once; full screen waits for the retrace unless told not to.
    const bool wait =
        !params.Windowed && params.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    SDL_GL_SetSwapInterval(wait ? 1 : 0);
    ClearTargets(D3DCLEAR_TARGET | (params.EnableAutoDepthStencil ? D3DCLEAR_ZBUFFER : 0),
                 0xFF000000u, 1.0f);
    return D3D_OK;
}

void GlDevice::ClearTargets(DWORD flags, D3DCOLOR color, float z) {
    MakeCurrent();
    Flush();
    if (flags & D3DCLEAR_TARGET)
        FGl->BackStale = false; // every pixel is about to be written
    else
        RestoreBack();
    FGl->Drawing = false;
    glBindFramebuffer(GL_FRAMEBUFFER, FGl->Framebuffer);
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) {
        // Without an alpha channel of its own the target holds opaque alpha.
        const float alpha = FFormat == D3DFMT_A8R8G8B8 ? ((color >> 24) & 0xFF) / 255.0f : 1.0f;
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                     (color & 0xFF) / 255.0f, alpha);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) && FGl->Depth) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (bits)
        glClear(bits);
}

// ---- Drawing ------------------------------------------------------------------------------------

unsigned GlDevice::BindTexture(const Texture& texture, bool refresh) {
    // Only the reader is const: the GL copy is the device's own.
    auto& resource = const_cast<Texture&>(texture);
    auto* data = dynamic_cast<GlTextureData*>(resource.Backend.get());
    if (!data) {
        resource.Backend = std::make_unique<GlTextureData>();
        data = static_cast<GlTextureData*>(resource.Backend.get());
        glGenTextures(1, &data->Name);
        glBindTexture(GL_TEXTURE_2D, data->Name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    const bool upload = refresh && data->Revision != texture.Revision();
    if (data->Name != FGl->LastTexture || upload) {
        glBindTexture(GL_TEXTURE_2D, data->Name);
        FGl->LastTexture = data->Name;
    }
    if (upload) {
        const int w = static_cast<int>(texture.Width()), h = static_cast<int>(texture.Height());
        // Every format goes up as ARGB made by the conversions the software device uses, so
        // both sample the same texel values.
        std::vector<uint32_t> argb;
        const void* pixels = texture.Texels();
        if (texture.Format() != D3DFMT_A8R8G8B8) {
            argb.resize(static_cast<size_t>(w) * h);
            for (int y = 0; y < h; ++y)
                ConvertRowToARGB(texture.Format(),
                                 texture.Bits() + static_cast<size_t>(y) * texture.Pitch(),
                                 argb.data() + static_cast<size_t>(y) * w, w);
            pixels = argb.data();
        }
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                     pixels);
        data->Revision = texture.Revision();
    }
    return data->Name;
}

bool GlDevice::UseProgramFor(const DrawState& state) {
    Objects& gl = *FGl;
    const std::string source = DrawFragmentSource(state);
    auto found = gl.DrawPrograms.find(source);
    if (found == gl.DrawPrograms.end()) {
        Objects::DrawProgram made;
        made.Name = Link(kDrawVertex, source.c_str());
        if (!made.Name)
            return false;
        made.TargetSize = glGetUniformLocation(made.Name, "uTargetSize");
        glUseProgram(made.Name);
        glUniform1i(glGetUniformLocation(made.Name, "uTexture"), 0);
        found = gl.DrawPrograms.emplace(source, made).first;
        gl.Current = nullptr;
    }
    Objects::DrawProgram& program = found->second;
    if (&program == gl.Current)
        return false;
    glUseProgram(program.Name);
    glUniform2f(program.TargetSize, static_cast<float>(FWidth), static_cast<float>(FHeight));
    gl.Current = &program;
    return true;
}

void GlDevice::DrawTriangleFan(const TLVertex* vertices, UINT count, const DrawState& state) {
    MakeCurrent();
    Objects& gl = *FGl;
    if (count < 3)
        return;
    // The engine draws quad after quad. They wait here, as one list of triangles and runs of
    // them in one state, until something needs their result; then the list goes up at once and
    // each run is one draw call. A driver that queues work (llvmpipe bins a whole frame) would
    // otherwise be made to catch up at every small upload.
    if (state.BoundTexture) {
        const auto* data = dynamic_cast<const GlTextureData*>(state.BoundTexture->Backend.get());
        if (!data || data->Revision != state.BoundTexture->Revision()) {
            // The texels as they are now go up now, after the draws of the old ones.
            Flush();
            BindTexture(*state.BoundTexture, true);
        }
    }
    if (gl.Runs.empty() || !(gl.Runs.back().State == state))
        gl.Runs.push_back(Objects::Run{state, gl.Batch.size(), 0});
    // Samples are taken a thousandth of a texel after the interpolated position, as on the
    // software device, so that one falling exactly on a texel boundary belongs to the texel
    // after it however the interpolation rounded. Moved in the vertices, not in the shader: on
    // a CPU rasterizer a texture coordinate computed per pixel costs every pixel.
    float leanU = 0, leanV = 0;
    if (state.BoundTexture) {
        leanU = 1.0f / 1024.0f / static_cast<float>(state.BoundTexture->Width());
        leanV = 1.0f / 1024.0f / static_cast<float>(state.BoundTexture->Height());
    }
    const auto add = [&](const TLVertex& v) {
        gl.Batch.push_back(v);
        gl.Batch.back().U += leanU;
        gl.Batch.back().V += leanV;
    };
    for (UINT i = 1; i + 1 < count; ++i) {
        add(vertices[0]);
        add(vertices[i]);
        add(vertices[i + 1]);
    }
    gl.Runs.back().Count += 3 * (count - 2);
    if (static_cast<GLsizeiptr>((gl.Batch.size() + 3 * count) * sizeof(TLVertex)) >
        Objects::kRingBytes)
        Flush();
}

void GlDevice::ApplyState(const DrawState& state) {
    Objects& gl = *FGl;
    // Only what differs from the last draw is passed to GL.
    const bool fresh = !gl.Drawing;
    const DrawState& last = gl.Last;
    if (fresh) {
        gl.LastTexture = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, gl.Framebuffer);
        glViewport(0, 0, FWidth, FHeight);
        glActiveTexture(GL_TEXTURE0);
        glBindSampler(0, gl.Sampler);
        glBindVertexArray(gl.Vao);
        glBindBuffer(GL_ARRAY_BUFFER, gl.Vbo);
        glFrontFace(GL_CCW);
        gl.Drawing = true;
    }
    if (fresh || (last.BoundTexture != nullptr) != (state.BoundTexture != nullptr) ||
        last.ColorOp != state.ColorOp || last.ColorArg1 != state.ColorArg1 ||
        last.ColorArg2 != state.ColorArg2 || last.AlphaOp != state.AlphaOp ||
        last.AlphaArg1 != state.AlphaArg1 || last.AlphaArg2 != state.AlphaArg2 ||
        last.BlendEnable != state.BlendEnable || last.TargetHasAlpha != state.TargetHasAlpha) {
        if (fresh)
            gl.Current = nullptr; // the target's size may be new, and the present used its own
        UseProgramFor(state);
    }
    if (state.BoundTexture) {
        // The texels were brought up to date when the draw was recorded; the texture may have
        // changed again since, for draws recorded later.
        const unsigned name = BindTexture(*state.BoundTexture, false);
        // The sampler is the device's own: what it holds is known, whatever drew last.
        if (gl.SamplerMin != Filter(state.MinFilter) || gl.SamplerMag != Filter(state.MagFilter)) {
            gl.SamplerMin = Filter(state.MinFilter);
            gl.SamplerMag = Filter(state.MagFilter);
            glSamplerParameteri(gl.Sampler, GL_TEXTURE_MIN_FILTER, gl.SamplerMin);
            glSamplerParameteri(gl.Sampler, GL_TEXTURE_MAG_FILTER, gl.SamplerMag);
        }
        gl.LastTexture = name;
    }
    if (fresh || last.BlendEnable != state.BlendEnable) {
        if (state.BlendEnable)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
    }
    if (fresh || last.SrcBlend != state.SrcBlend || last.DestBlend != state.DestBlend ||
        last.TargetHasAlpha != state.TargetHasAlpha) {
        // A target without alpha keeps the opaque alpha it was cleared to: blending leaves it
        // as it is, and draws without blending write it opaque (their shader does). Cheaper on
        // a CPU rasterizer than masking alpha writes, which merges every written pixel.
        if (state.TargetHasAlpha)
            glBlendFunc(BlendFactor(state.SrcBlend), BlendFactor(state.DestBlend));
        else
            glBlendFuncSeparate(BlendFactor(state.SrcBlend), BlendFactor(state.DestBlend), GL_ZERO,
                                GL_ONE);
    }
    if (fresh || last.DepthTest != state.DepthTest || last.DepthWrite != state.DepthWrite) {
        if (state.DepthTest)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthMask(state.DepthWrite ? GL_TRUE : GL_FALSE);
    }
    // Rows run the same way in both coordinate systems but GL's y points up, so a triangle
    // clockwise on the device's screen is counter-clockwise, GL's front face, here.
    if (fresh || last.Cull != state.Cull) {
        if (state.Cull == D3DCULL_NONE)
            glDisable(GL_CULL_FACE);
        else
            glEnable(GL_CULL_FACE);
        if (state.Cull != D3DCULL_NONE)
            glCullFace(state.Cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
    }
    gl.Last = state;
}

void GlDevice::Flush() {
    Objects& gl = *FGl;
    if (gl.Runs.empty())
        return;
    RestoreBack();
    glBindVertexArray(gl.Vao);
    glBindBuffer(GL_ARRAY_BUFFER, gl.Vbo);
    // Vertices go into a ring: appended after the previous upload, the buffer is renewed only
    // when full, so GL never waits for a draw still reading it.
    const auto bytes = static_cast<GLsizeiptr>(gl.Batch.size() * sizeof(TLVertex));
    if (gl.RingOffset + bytes > Objects::kRingBytes) {
        glBufferData(GL_ARRAY_BUFFER, Objects::kRingBytes, nullptr, GL_STREAM_DRAW);
        gl.RingOffset = 0;
    }
    // Written unsynchronised: no draw has used this range since the buffer was renewed.
    void* target = bytes <= Objects::kRingBytes
                       ? glMapBufferRange(GL_ARRAY_BUFFER, gl.RingOffset, bytes,
                                          GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                              GL_MAP_INVALIDATE_RANGE_BIT)
                       : nullptr;
    if (target) {
        std::memcpy(target, gl.Batch.data(), static_cast<size_t>(bytes));
        glUnmapBuffer(GL_ARRAY_BUFFER);
        const auto first = static_cast<GLint>(gl.RingOffset / sizeof(TLVertex));
        for (const Objects::Run& run : gl.Runs) {
            ApplyState(run.State);
            glDrawArrays(GL_TRIANGLES, first + static_cast<GLint>(run.First),
                         static_cast<GLsizei>(run.Count));
        }
        gl.RingOffset += bytes;
    }
    gl.Batch.clear();
    gl.Runs.clear();
}

// ---- Presenting and reading back ---------------------------------------------------------------

void GlDevice::TradeFrontAndBack() {
    // The back buffer keeps its contents in the picture it traded away: they are copied back
    // only if they are used before a clear.
    Objects& gl = *FGl;
    if (gl.BackStale)
        return;
    std::swap(gl.Colour, gl.FrontColour);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.Framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl.Colour, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, gl.FrontFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl.FrontColour, 0);
    gl.BackStale = true;
}

void GlDevice::UploadGammaRamp() {
    const D3DGAMMARAMP& ramp = GammaRamp();
    uint16_t rgb[256 * 3];
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = ramp.red[i];
        rgb[3 * i + 1] = ramp.green[i];
        rgb[3 * i + 2] = ramp.blue[i];
    }
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, FGl->Ramp);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGB, GL_UNSIGNED_SHORT, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

HRESULT GlDevice::PresentFrame() {
    MakeCurrent();
    Flush();
    Objects& gl = *FGl;
    gl.Drawing = false;
    TradeFrontAndBack();
    FPresented = true;

    auto* window = static_cast<SDL_Window*>(Window().NativeWindow());
    int width = 0, height = 0;
    if (!window || !Window().PresentArea(width, height))
        return D3D_OK;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    const Placement p = Window().Place(width, height);
    // Only letterbox bars need clearing: on a CPU rasterizer every pass over the window counts.
    if (p.X != 0 || p.Y != 0 || p.Width != width || p.Height != height) {
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    const bool gamma = !Window().Windowed() && !GammaIsIdentity();
    // Shown at its own size, without a ramp, and with an alpha the window either ignores or
    // that is opaque anyway, the picture is copied, turned upright on the way. A CPU rasterizer
    // copies rows for that where drawing it would sample and write every pixel: a pass over
    // the window that cost a quarter of the frame on llvmpipe.
    if (p.Width == FWidth && p.Height == FHeight && !gamma &&
        (!gl.WindowHasAlpha || !HasAlpha(FFormat))) {
        const int bottom = height - p.Y - p.Height;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, gl.FrontFramebuffer);
        glBlitFramebuffer(0, 0, FWidth, FHeight, p.X, bottom + p.Height, p.X + p.Width, bottom,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(window);
        return D3D_OK;
    }
    glViewport(p.X, height - p.Y - p.Height, p.Width, p.Height);
    glUseProgram(gl.PresentProgram);
    glUniform1i(gl.Gamma, gamma ? 1 : 0);
    if (gamma)
        UploadGammaRamp();
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    glBindTexture(GL_TEXTURE_2D, gl.FrontColour);
    const GLint filter = (p.Width == FWidth && p.Height == FHeight) ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindVertexArray(gl.EmptyVao);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    SDL_GL_SwapWindow(window);
    return D3D_OK;
}

std::vector<uint32_t> GlDevice::ReadFramebuffer(unsigned framebuffer) {
    MakeCurrent();
    Flush();
    FGl->Drawing = false;
    std::vector<uint32_t> argb(static_cast<size_t>(FWidth) * FHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    // GL's row 0 is the device's top row: the rows come out top first.
    glReadPixels(0, 0, FWidth, FHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    return argb;
}

void GlDevice::RestoreBack() {
    Objects& gl = *FGl;
    if (!gl.BackStale)
        return;
    gl.BackStale = false;
    gl.Drawing = false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gl.FrontFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl.Framebuffer);
    glBlitFramebuffer(0, 0, FWidth, FHeight, 0, 0, FWidth, FHeight, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
}

std::vector<uint32_t> GlDevice::ReadBackBuffer() {
    MakeCurrent();
    Flush();
    RestoreBack();
    return ReadFramebuffer(FGl->Framebuffer);
}

std::vector<uint32_t> GlDevice::ReadPresented() {
    if (!FPresented)
        return {};
    return ReadFramebuffer(FGl->FrontFramebuffer);
}

void GlDevice::FillCaps(D3DCAPS8& caps) const {
    const auto size = static_cast<DWORD>(std::max(FGl->MaxTextureSize, 256));
    caps.MaxTextureWidth = std::min(caps.MaxTextureWidth, size);
    caps.MaxTextureHeight = std::min(caps.MaxTextureHeight, size);
}

void GlDevice::ForgetResource(Resource& resource) {
    if (auto* data = dynamic_cast<GlTextureData*>(resource.Backend.get())) {
        MakeCurrent();
        Flush(); // draws waiting may sample it
        glDeleteTextures(1, &data->Name);
        if (FGl->LastTexture == data->Name)
            FGl->LastTexture = 0;
    }
    resource.Backend.reset();
}

} // namespace d3d
