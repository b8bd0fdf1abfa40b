// Inside the DirectInput layer: the state the event watch keeps for one DirectInput object, and
// the part every device shares (data format, cooperative level, acquisition and its loss).
// Not for use outside platform/dinput.
#pragma once

#include "platform/dinput/DInput.h"

#include <SDL.h>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace dinput::detail {

class Device;

// Shared by a DirectInput object and the devices it made (a device may outlive its object,
// as a COM device keeps its parent alive). Installs the SDL event watch on creation and
// removes it, and gives back the SDL subsystems, when the last holder lets go.
//
// Everything the watch writes is guarded by Lock. Never hold it while calling SDL functions
// that queue events (SDL_JoystickUpdate, SDL_PumpEvents): the watch runs inside them.
class Context {
public:
    explicit Context(bool haptics);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    const bool Haptics; // SDL's haptic subsystem started

    std::mutex Lock;
    // Guarded by Lock.
    std::vector<Device*> Devices;
    std::array<bool, SDL_NUM_SCANCODES> Keys{};
    uint32_t MouseButtons = 0; // SDL_BUTTON masks

    // The 256-byte DIK_ table of the keys down now. Caller holds Lock.
    void FillKeyTable(BYTE table[256]) const;

    // Whether a window has the input focus: its last focus event, or SDL's flag before any.
    static bool HasFocus(SDL_Window* window);

private:
    static int Watch(void* context, SDL_Event* event);
    void Observe(const SDL_Event& event);
};

class Device : public IDirectInputDevice8 {
public:
    Device(std::shared_ptr<Context> context, const DIDATAFORMAT& format);
    ~Device() override;

    HRESULT GetCapabilities(DIDEVCAPS* caps) override;
    HRESULT SetDataFormat(const DIDATAFORMAT* format) override;
    HRESULT SetCooperativeLevel(win::HWND window, DWORD flags) override;
    HRESULT SetProperty(DIPROP property, const DIPROPHEADER* header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT Poll() override;
    HRESULT GetDeviceState(DWORD size, void* data) override;

    // Called by the watch with the context's Lock held.
    void WindowLostFocus(uint32_t windowID);
    void ObserveIfAcquired(const SDL_Event& event);

protected:
    // Per kind. Fill* and ReadState run with the device acquired and the format set.
    virtual void FillCaps(DIDEVCAPS& caps) = 0;
    virtual void ReadState(void* data) = 0;
    // Whether the hardware is still there; a device that vanishes loses its acquisition.
    virtual bool Present() { return true; }
    // Brings the hardware state up to date; runs without the lock. What Poll returns on
    // success: devices that need no polling say DI_NOEFFECT.
    virtual HRESULT Refresh() { return DI_NOEFFECT; }
    // Refuses cooperative levels this kind of device does not support.
    virtual HRESULT CheckCooperation(DWORD) { return DI_OK; }
    // Run with Lock held: as acquisition starts (the mouse drops motion from before), and for
    // every mouse motion and wheel event while acquired.
    virtual void OnAcquired() {}
    virtual void OnInput(const SDL_Event&) {}

    bool FormatSet() const { return FFormatSet; }

    const std::shared_ptr<Context> FContext;
    const DIDATAFORMAT& FFormat;

private:
    // INPUTLOST once after a loss, then NOTACQUIRED; DI_OK while acquired.
    HRESULT CheckAcquired();
    void LoseAcquisition(); // Lock held

    bool FFormatSet = false;
    DWORD FCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    win::HWND FWindow = nullptr;
    // Guarded by the context's Lock.
    bool FAcquired = false;
    bool FLost = false;
    uint32_t FFocusWindowID = 0; // the SDL window a foreground device follows
};

// Made by the joystick part of the layer.
std::unique_ptr<Device> CreateJoystick(std::shared_ptr<Context> context, const GUID& instance,
                                       HRESULT& result);
// Calls back for every attached controller, oldest attachment first; false when stopped.
bool EnumJoysticks(LPDIENUMDEVICESCALLBACK callback, void* ref);

} // namespace dinput::detail
