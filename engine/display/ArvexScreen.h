// The screen device: the program's one 3D device, its frame sequence and its global tint and
// transform.
//
// TArvexScreen owns the Direct3D object and device, a shared vertex buffer that every quad
// passes through, the render and stage-0 states, and a gamma ramp. It creates the device when
// asked (hardware first, the software rasterizer when that fails), runs begin / clear / end and
// present each frame, survives device loss by resetting, switches between window and full
// screen, and tells the other components of its owner when the device has become usable and
// when it is about to go (see TArvexDeviceClient).
//
// Its fatal failures (no Direct3D, no device at all) end the process with exit code 1 after
// "This application will now exit.".
#pragma once

#include "platform/d3d/Direct3D8.h"
#include "platform/rtl/Component.h"
#include "platform/win/Forms.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct ArvexVertex;

enum TPoolType : uint8_t { plManaged = 0, plDefault = 1 };
enum TRenderMode : uint8_t { rmHardware = 0, rmReference = 1, rmSoftware = 2 };

class TArvexScreen : public rtl::TComponent {
public:
    // Sets the decimal separator to "." and obtains the Direct3D object (the program ends when
    // there is none).
    explicit TArvexScreen(rtl::TComponent* owner);
    // Shows the cursor, releases everything and puts the window back where Initialize found it.
    ~TArvexScreen() override;

    // ---- Published properties ---------------------------------------------------------------
    TPoolType Pool = plManaged; // pool of the shared vertex buffer
    float ScaleX = 1.0f;        // global scale, rotation and translation of every quad
    float ScaleY = 1.0f;
    int32_t CenterX = 0;
    int32_t CenterY = 0;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    float Rotation = 0.0f; // degrees
    // The global tint, one channel at a time; Color holds all four.
    uint8_t Red() const { return FRed; }
    uint8_t Green() const { return FGreen; }
    uint8_t Blue() const { return FBlue; }
    uint8_t Alpha() const { return FAlpha; }
    void SetRed(uint8_t value);
    void SetGreen(uint8_t value);
    void SetBlue(uint8_t value);
    void SetAlpha(uint8_t value);
    bool ShowMouseCursor = true;
    TRenderMode RenderMode = rmHardware;
    int32_t Width = 800; // back buffer
    int32_t Height = 600;
    // Full-screen colour depth: 32, or 16 for any other value.
    int32_t bpp() const { return Fbpp; }
    void Setbpp(int32_t value);
    bool ZBuffer = true;
    bool FullScreen = false;
    // Full-screen refresh rate; values other than the standard rates store 0 (the default).
    uint32_t Frequency() const { return FFrequency; }
    void SetFrequency(uint32_t value);
    bool VSYNC = false;
    bool BackBufferAccess = false;
    int32_t BBCount = 0; // raised to 1 when a full-screen device is made or reset
    d3d::Device* Device() const { return FDevice.get(); }

    rtl::TNotifyEvent OnCreate;
    rtl::TNotifyEvent OnDestroy;
    rtl::TNotifyEvent OnInit;
    rtl::TNotifyEvent OnUnInit;

    bool Antialias = false;

    // ---- Operations -------------------------------------------------------------------------
    void SetWindowHandle(win::HWND handle);
    int32_t Initialize();
    void BeginScene();
    void Clear(uint8_t R, uint8_t G, uint8_t B, uint8_t A);
    void EndScene();
    void SetAntialias(bool value);
    void SetColor(uint32_t color);
    uint32_t Color() const { return FColor; }
    d3d::HRESULT ResetDevice();
    int32_t ToggleFullScreen();
    void Finalize();
    // Applies the global tint and transform to the vertices in place and loads them into the
    // shared vertex buffer as stream 0.
    void PrepareVertices(ArvexVertex* vertices, int count);
    // Selects a blend-factor pair (0..13; others mean 0; -1 keeps the current one).
    void SetBlendMode(int32_t mode);
    int32_t CurrentBlendMode() const { return FCurrentBlendMode; }
    // Shows the message for Code; severity 1 then ends the process with exit code 1.
    int32_t ShowError(int32_t Severity, int64_t Code);
    // The next EndScene saves the front buffer's client area as a BMP file; it retries every
    // frame until that succeeds.
    void RequestScreenshot(const std::string& file);
    bool ScreenshotPending() const { return FScreenshotPending; }

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    bool Active() const { return FActive; }
    bool Initialized() const { return FInitialized; }
    bool InScene() const { return FInScene; }
    win::HWND WindowHandle() const { return FWindow; }
    const d3d::D3DPRESENT_PARAMETERS& PresentParams() const { return FPresentParams; }
    const d3d::D3DCAPS8& Caps() const { return FCaps; }
    const d3d::D3DSURFACE_DESC& BackBufferDesc() const { return FBackBufferDesc; }
    const d3d::D3DGAMMARAMP& GammaRamp() const { return FGammaRamp; }

    static constexpr int kVertexCount = 32768;

private:
    void BuildPresentParams(bool creating);
    int32_t CreateDevice();
    void CreateVertexBuffer();
    void SetDefaultStates();
    void SaveStates();
    void RestoreStates();
    void NotifyDeviceReady();
    void NotifyDeviceLost();
    void SaveScreenshot();
    void MoveWindowBack();
    void Fire(const rtl::TNotifyEvent& event);

    std::unique_ptr<d3d::Direct3D8> FD3D;
    std::unique_ptr<d3d::Device> FDevice;
    std::unique_ptr<d3d::VertexBuffer> FVertexBuffer;
    d3d::D3DGAMMARAMP FGammaRamp;
    std::array<d3d::DWORD, 17> FSavedStates{};
    int32_t FCurrentBlendMode = 0;
    int32_t Fbpp = 16;
    bool FScreenshotPending = false;
    std::string FScreenshotFile;
    uint32_t FFrequency = 0;
    bool FActive = false;
    bool FInitialized = false;
    win::HWND FWindow = nullptr;
    win::HWND FPreviousWindow = nullptr;
    uint8_t FAlpha = 255, FRed = 255, FGreen = 255, FBlue = 255;
    uint32_t FColor = 0xFFFFFFFF;
    bool FInScene = false;
    d3d::D3DCAPS8 FCaps;
    d3d::D3DPRESENT_PARAMETERS FPresentParams;
    d3d::D3DSURFACE_DESC FBackBufferDesc;
    win::TRect FSavedWindowRect;
};
