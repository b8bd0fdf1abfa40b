#include "engine/display/ArvexScreen.h"

#include "engine/display/ArvexDeviceClient.h"
#include "engine/display/ArvexRenderer.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <initializer_list>

using namespace d3d;

namespace {

struct Size {
    int32_t Width;
    int32_t Height;
};

constexpr Size kStandardModes[] = {{800, 600}, {640, 400}, {640, 480},  {1024, 768},
                                   {320, 200}, {320, 240}, {1280, 1024}};

constexpr uint32_t kFrequencies[] = {56,  60,  70,  72,  75,  85,  90,  100,
                                     120, 140, 144, 150, 160, 170, 200, 240};

// The states SaveStates reads and RestoreStates writes, in that order; stage-0 states are
// marked.
struct SavedState {
    bool Stage;
    DWORD Type;
};

constexpr SavedState kSavedStates[17] = {
    {false, D3DRS_LIGHTING},  {false, D3DRS_LASTPIXEL},        {false, D3DRS_CULLMODE},
    {false, D3DRS_ZENABLE},   {false, D3DRS_ALPHABLENDENABLE}, {false, D3DRS_SRCBLEND},
    {false, D3DRS_DESTBLEND}, {false, D3DRS_DITHERENABLE},     {true, D3DTSS_COLOROP},
    {true, D3DTSS_COLORARG1}, {true, D3DTSS_COLORARG2},        {true, D3DTSS_ALPHAOP},
    {true, D3DTSS_ALPHAARG1}, {true, D3DTSS_ALPHAARG2},        {true, D3DTSS_MAGFILTER},
    {true, D3DTSS_MINFILTER}, {false, D3DRS_FILLMODE},
};

constexpr int64_t kErrNoDirect3D = 0x82000001;
constexpr int64_t kErrNoDevice = 0x08200003;

const char* ErrorText(int64_t code) {
    switch (code) {
    case 0x82000001:
        return "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
               "DirectX is correctly installed on your\nsystem.  Also make sure that this "
               "program\nwas compiled with header files that match\nthe installed DirectX DLLs.";
    case 0x08200003:
        return "Could not find any compatible Direct3D\ndevices.";
    case 0x08200004:
        return "This application cannot run in a desktop\nwindow with the current display "
               "settings.\nPlease change your desktop settings to a\n16- or 32-bit display mode "
               "and re-run this\napplication.";
    case 0x82000005:
        return "No hardware-accelerated Direct3D devices\nwere found.";
    case 0x82000006:
        return "This application requires functionality that is\nnot available on your "
               "Direct3D hardware\naccelerator.";
    case 0x82000007:
        return "Your Direct3D hardware accelerator cannot\nrender into a window.";
    case 0x82000008:
        return "Your Direct3D hardware accelerator cannot\nrender into a window with the "
               "current\ndesktop display settings.";
    case 0x82000009:
        return "This application requires functionality that is\nnot available on your "
               "Direct3D hardware\naccelerator with the current desktop display\nsettings.";
    case 0x8200000C:
        return "Could not reset the Direct3D device.";
    case 0x8200000A:
        return "A D3D object has a non-zero reference\ncount (meaning things were not "
               "properly\ncleaned up).";
    }
    // Platform error codes arrive sign-extended.
    if (code == int64_t{E_OUTOFMEMORY})
        return "Not enough memory.";
    if (code == int64_t{D3DERR_OUTOFVIDEOMEMORY})
        return "Not enough video memory.";
    return "Generic application error.";
}

} // namespace

TArvexScreen::TArvexScreen(rtl::TComponent* owner) : rtl::TComponent(owner) {
    // Number formatting and parsing must not follow the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    SetColor(0xFFFFFFFF);
    // The owner is a form: its window is the screen's (its SDL window is made when the device
    // first needs it).
    if (auto* form = dynamic_cast<win::TForm*>(owner))
        FWindow = FPreviousWindow = form;
    FD3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (!FD3D) {
        ShowError(1, kErrNoDirect3D);
        return;
    }
    for (int i = 0; i < 256; ++i)
        FGammaRamp.red[i] = FGammaRamp.green[i] = FGammaRamp.blue[i] =
            static_cast<uint16_t>(i * 256);
    Fire(OnCreate);
}

TArvexScreen::~TArvexScreen() {
    win::ShowCursor(true);
    Finalize();
    Fire(OnDestroy);
    MoveWindowBack();
}

void TArvexScreen::Fire(const rtl::TNotifyEvent& event) {
    if (event)
        event(this);
}

// ---- Properties ------------------------------------------------------------------------------

void TArvexScreen::SetColor(uint32_t color) {
    FColor = color;
    FRed = static_cast<uint8_t>(color >> 16);
    FGreen = static_cast<uint8_t>(color >> 8);
    FBlue = static_cast<uint8_t>(color);
    FAlpha = static_cast<uint8_t>(color >> 24);
}

void TArvexScreen::SetRed(uint8_t value) {
    FRed = value;
    FColor = PackARGB(FRed, FGreen, FBlue, FAlpha);
}

void TArvexScreen::SetGreen(uint8_t value) {
    FGreen = value;
    FColor = PackARGB(FRed, FGreen, FBlue, FAlpha);
}

void TArvexScreen::SetBlue(uint8_t value) {
    FBlue = value;
    FColor = PackARGB(FRed, FGreen, FBlue, FAlpha);
}

void TArvexScreen::SetAlpha(uint8_t value) {
    FAlpha = value;
    FColor = PackARGB(FRed, FGreen, FBlue, FAlpha);
}

void TArvexScreen::Setbpp(int32_t value) {
    Fbpp = value == 32 ? 32 : 16;
}

void TArvexScreen::SetFrequency(uint32_t value) {
    FFrequency =
        std::find(std::begin(kFrequencies), std::end(kFrequencies), value) != std::end(kFrequencies)
            ? value
            : 0;
}

void TArvexScreen::SetWindowHandle(win::HWND handle) {
    if (FWindow)
        FPreviousWindow = FWindow;
    FWindow = handle;
}

void TArvexScreen::SetAntialias(bool value) {
    if (FDevice) {
        const DWORD filter = value ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        FDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        FDevice->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    }
    Antialias = value;
}

void TArvexScreen::RequestScreenshot(const std::string& file) {
    FScreenshotFile = file;
    FScreenshotPending = true;
}

// ---- Device creation ---------------------------------------------------------------------------

void TArvexScreen::BuildPresentParams(bool creating) {
    D3DPRESENT_PARAMETERS& p = FPresentParams;
    if (creating)
        p = D3DPRESENT_PARAMETERS{};
    p.Flags = BackBufferAccess ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
    if (creating) {
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = FWindow;
        p.MultiSampleType = D3DMULTISAMPLE_NONE;
        p.EnableAutoDepthStencil = ZBuffer;
        p.AutoDepthStencilFormat = D3DFMT_D16;
    }
    p.Windowed = !FullScreen;
    if (FullScreen) {
        const bool standard =
            std::any_of(std::begin(kStandardModes), std::end(kStandardModes),
                        [&](const Size& m) { return m.Width == Width && m.Height == Height; });
        if (standard) {
            p.BackBufferWidth = static_cast<UINT>(Width);
            p.BackBufferHeight = static_cast<UINT>(Height);
        } else {
            win::MessageBeep(0);
            p.BackBufferWidth = 800;
            p.BackBufferHeight = 600;
        }
        p.BackBufferFormat = Fbpp == 16 ? D3DFMT_R5G6B5 : D3DFMT_A8R8G8B8;
        if (BBCount < 1)
            BBCount = 1;
        p.BackBufferCount = static_cast<UINT>(BBCount);
        p.FullScreen_RefreshRateInHz = FFrequency;
        p.FullScreen_PresentationInterval =
            VSYNC ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    } else {
        p.BackBufferWidth = static_cast<UINT>(std::max(Width, 0));
        p.BackBufferHeight = static_cast<UINT>(std::max(Height, 0));
        D3DDISPLAYMODE mode;
        if (SUCCEEDED(FD3D->GetAdapterDisplayMode(0, &mode)))
            p.BackBufferFormat = mode.Format;
        p.FullScreen_RefreshRateInHz = 0;
        p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    }
}

int32_t TArvexScreen::Initialize() {
    if (!FD3D)
        return ShowError(1, kErrNoDirect3D);
    if (auto* form = dynamic_cast<win::TForm*>(FWindow))
        FSavedWindowRect = form->WindowRect();
    CreateDevice();
    win::ShowCursor(ShowMouseCursor);
    FInitialized = true;
    return 0;
}

int32_t TArvexScreen::CreateDevice() {
    FVertexBuffer.reset();
    FDevice.reset();
    BuildPresentParams(true);
    // The software mode asks for our software rasterizer, which is also what a failed
    // hardware device falls back to.
    const auto typeOf = [](TRenderMode mode) {
        return mode == rmReference  ? D3DDEVTYPE_REF
               : mode == rmSoftware ? D3DDEVTYPE_SW
                                    : D3DDEVTYPE_HAL;
    };
    HRESULT hr = FD3D->CreateDevice(0, typeOf(RenderMode), FWindow,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &FPresentParams, &FDevice);
    if (FAILED(hr) && RenderMode == rmHardware) {
        RenderMode = rmSoftware;
        hr = FD3D->CreateDevice(0, typeOf(RenderMode), FWindow, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &FPresentParams, &FDevice);
    }
    if (FAILED(hr)) {
        FD3D.reset();
        return ShowError(1, kErrNoDevice);
    }
    FCaps = D3DCAPS8{};
    if (FAILED(FDevice->GetDeviceCaps(&FCaps))) {
        FDevice.reset();
        FD3D.reset();
        return E_FAIL;
    }
    FDevice->GetBackBufferDesc(0, &FBackBufferDesc);
    FInitialized = FActive = true;
    SetDefaultStates();
    CreateVertexBuffer();
    FDevice->SetVertexShader(d3d::kTLVertexFVF);
    FDevice->SetStreamSource(0, FVertexBuffer.get(), sizeof(ArvexVertex));
    NotifyDeviceReady();
    Fire(OnInit);
    return 0;
}

void TArvexScreen::CreateVertexBuffer() {
    const UINT length = kVertexCount * sizeof(ArvexVertex);
    if (Pool == plDefault)
        FDevice->CreateVertexBuffer(length, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                    d3d::kTLVertexFVF, D3DPOOL_DEFAULT, &FVertexBuffer);
    else
        FDevice->CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, d3d::kTLVertexFVF, D3DPOOL_MANAGED,
                                    &FVertexBuffer);
}

void TArvexScreen::SetDefaultStates() {
    d3d::Device* d = FDevice.get();
    d->SetRenderState(D3DRS_LIGHTING, 0);
    d->SetRenderState(D3DRS_LASTPIXEL, 1);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_DITHERENABLE, 0);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_NONE);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    // The blend states now say mode 0; a mode remembered from an earlier device would make
    // SetBlendMode skip the states it has to write.
    FCurrentBlendMode = 0;
}

void TArvexScreen::SaveStates() {
    for (size_t i = 0; i < FSavedStates.size(); ++i) {
        const SavedState& s = kSavedStates[i];
        if (s.Stage)
            FDevice->GetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(s.Type),
                                          &FSavedStates[i]);
        else
            FDevice->GetRenderState(static_cast<D3DRENDERSTATETYPE>(s.Type), &FSavedStates[i]);
    }
}

void TArvexScreen::RestoreStates() {
    for (size_t i = 0; i < FSavedStates.size(); ++i) {
        const SavedState& s = kSavedStates[i];
        if (s.Stage)
            FDevice->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(s.Type),
                                          FSavedStates[i]);
        else
            FDevice->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.Type), FSavedStates[i]);
    }
}

// ---- Components that follow the device -----------------------------------------------------

namespace {

constexpr unsigned KindBit(TDeviceClientKind kind) {
    return 1u << static_cast<unsigned>(kind);
}

constexpr unsigned Kinds(std::initializer_list<TDeviceClientKind> kinds) {
    unsigned bits = 0;
    for (TDeviceClientKind kind : kinds)
        bits |= KindBit(kind);
    return bits;
}

// The order in which the components that follow the device hear of it: each pass walks the
// owner's components in the owner's order and calls those of its kinds.
using TDeviceClientPasses = std::array<unsigned, 2>;
// Ready: textures first, since fonts and widgets draw with them.
constexpr TDeviceClientPasses kReadyPasses{
    Kinds({TDeviceClientKind::dcImageList}),
    Kinds({TDeviceClientKind::dcBitmapFont, TDeviceClientKind::dcGUI, TDeviceClientKind::dcInput})};
// Lost: fonts first, as their glyphs are cut from an image list's textures; input has nothing
// to give back and is not called.
constexpr TDeviceClientPasses kLostPasses{
    Kinds({TDeviceClientKind::dcBitmapFont}),
    Kinds({TDeviceClientKind::dcImageList, TDeviceClientKind::dcGUI})};

template <class Step>
void WalkDeviceClients(rtl::TComponent& owner, const TDeviceClientPasses& passes, Step step) {
    for (const unsigned kinds : passes)
        for (int i = 0; i < owner.ComponentCount(); ++i) {
            auto* client = dynamic_cast<TArvexDeviceClient*>(owner.Components(i));
            if (client && (kinds & KindBit(client->DeviceClientKind())) != 0)
                step(*client);
        }
}

} // namespace

void TArvexScreen::NotifyDeviceReady() {
    FDevice->SetTexture(0, nullptr);
    FDevice->SetGammaRamp(D3DSGR_NO_CALIBRATION, &FGammaRamp);
    if (rtl::TComponent* owner = Owner())
        WalkDeviceClients(*owner, kReadyPasses, [](TArvexDeviceClient& c) { c.DeviceReady(); });
}

void TArvexScreen::NotifyDeviceLost() {
    FDevice->SetTexture(0, nullptr);
    if (rtl::TComponent* owner = Owner())
        WalkDeviceClients(*owner, kLostPasses, [](TArvexDeviceClient& c) { c.DeviceLost(); });
}

void TArvexScreen::Notification(rtl::TComponent* component, rtl::TOperation operation) {
    rtl::TComponent::Notification(component, operation);
    if (operation != rtl::opInsert || component == this || !component ||
        component->Owner() != Owner())
        return;
    if (auto* client = dynamic_cast<TArvexDeviceClient*>(component)) {
        const TDeviceClientKind kind = client->DeviceClientKind();
        if (kind == TDeviceClientKind::dcImageList || kind == TDeviceClientKind::dcBitmapFont)
            client->AssignScreen(this);
    }
}

// ---- Reset, full screen and release ----------------------------------------------------------

HRESULT TArvexScreen::ResetDevice() {
    if (!FDevice)
        return 1;
    SaveStates();
    NotifyDeviceLost();
    FVertexBuffer.reset();
    Fire(OnUnInit);
    FDevice->SetTexture(0, nullptr);
    BuildPresentParams(false);
    const HRESULT hr = FDevice->Reset(&FPresentParams);
    if (FAILED(hr))
        return hr;
    win::ShowCursor(ShowMouseCursor);
    CreateVertexBuffer();
    RestoreStates();
    NotifyDeviceReady();
    Fire(OnInit);
    return 0;
}

int32_t TArvexScreen::ToggleFullScreen() {
    FActive = false;
    FullScreen = !FullScreen;
    ResetDevice();
    if (!FullScreen)
        MoveWindowBack();
    SetWindowHandle(FPreviousWindow);
    FInitialized = FActive = true;
    return 0;
}

void TArvexScreen::MoveWindowBack() {
    auto* form = dynamic_cast<win::TForm*>(FWindow);
    const win::TRect& r = FSavedWindowRect;
    // Before Initialize there is no place to go back to.
    if (!form || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    form->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    form->Show();
}

void TArvexScreen::Finalize() {
    FActive = FInitialized = false;
    if (!FDevice)
        return;
    NotifyDeviceLost();
    Fire(OnUnInit);
    FVertexBuffer.reset();
    FDevice.reset();
    FD3D.reset();
}

// ---- Errors ----------------------------------------------------------------------------------

int32_t TArvexScreen::ShowError(int32_t Severity, int64_t Code) {
    win::ShowCursor(true);
    const UINT buttons = win::MB_OKCANCEL;
    win::MessageBox(FWindow, ErrorText(Code), "Error", buttons);
    if (Severity == 1) {
        win::MessageBox(FWindow, "This application will now exit.", "Error", buttons);
        std::exit(1);
    }
    if (Severity == 2)
        win::MessageBox(FWindow,
                        "Switching to the reference rasterizer,\na software device that "
                        "implements the entire\nDirect3D feature set, but runs very slowly.",
                        "Error", buttons);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(Code)));
}
