// Game controllers of the DirectInput layer: SDL joysticks read into DIJOYSTATE.
//
// SDL axis i is the DirectInput axis at offset 4 * i (X, Y, Z, Rx, Ry, Rz, then the two
// sliders); hats become POVs, buttons the button bytes. Axis values are mapped from SDL's
// -32768..32767 into the range set with DIPROP_RANGE (default 0..65535): a value inside the
// dead zone (DIPROP_DEADZONE, 0..10000 of the half-range) reads as the centre, and the rest of
// each half is stretched so the ends still reach the range's ends.

#include "platform/dinput/DInputDevice.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace dinput::detail {

namespace {

constexpr int kMaxAxes = 8;
constexpr int kMaxPOVs = 4;
constexpr int kStateButtons = 32;

// An instance GUID carries SDL's instance id in Data1 and this tag in the rest, so a GUID from
// an earlier enumeration finds its controller again, or finds it gone.
constexpr uint16_t kTagData2 = 0x5344;
constexpr uint16_t kTagData3 = 0x4C4A;
constexpr uint8_t kTagData4[8] = {'J', 'O', 'Y', 'S', 'T', 'I', 'C', 'K'};

GUID InstanceGuid(SDL_JoystickID id) {
    GUID guid;
    guid.Data1 = static_cast<uint32_t>(id);
    guid.Data2 = kTagData2;
    guid.Data3 = kTagData3;
    std::memcpy(guid.Data4, kTagData4, sizeof(kTagData4));
    return guid;
}

bool IdFromGuid(const GUID& guid, SDL_JoystickID& id) {
    if (guid.Data2 != kTagData2 || guid.Data3 != kTagData3 ||
        std::memcmp(guid.Data4, kTagData4, sizeof(kTagData4)) != 0)
        return false;
    id = static_cast<SDL_JoystickID>(guid.Data1);
    return true;
}

DWORD DevTypeOf(SDL_JoystickType type) {
    constexpr DWORD kStandardSubtype = 2u << 8;
    return (type == SDL_JOYSTICK_TYPE_GAMECONTROLLER ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK) |
           kStandardSubtype;
}

DWORD PovFromHat(Uint8 hat) {
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return 0xFFFFFFFFu;
    }
}

struct Axis {
    LONG Min = 0;
    LONG Max = 65535;
    DWORD DeadZone = 0; // 0..10000
};

LONG ScaleAxis(Sint16 raw, const Axis& axis) {
    const double value = raw >= 0 ? raw / 32767.0 : raw / 32768.0;
    const double deadZone = axis.DeadZone / 10000.0;
    double magnitude = std::abs(value);
    magnitude =
        magnitude <= deadZone ? 0.0 : std::min(1.0, (magnitude - deadZone) / (1.0 - deadZone));
    const double centre = (static_cast<double>(axis.Min) + axis.Max) / 2.0;
    const double half = (static_cast<double>(axis.Max) - axis.Min) / 2.0;
    const int64_t scaled = rtl::Round(centre + (value < 0 ? -magnitude : magnitude) * half);
    return static_cast<LONG>(std::clamp<int64_t>(scaled, axis.Min, axis.Max));
}

class Joystick : public Device {
public:
    Joystick(std::shared_ptr<Context> context, SDL_Joystick* joystick)
        : Device(std::move(context), c_dfDIJoystick), FJoystick(joystick) {
        FAxisCount = std::clamp(SDL_JoystickNumAxes(joystick), 0, kMaxAxes);
        FButtonCount = std::max(SDL_JoystickNumButtons(joystick), 0);
        FHatCount = std::clamp(SDL_JoystickNumHats(joystick), 0, kMaxPOVs);
        if (FContext->Haptics && SDL_JoystickIsHaptic(joystick) == SDL_TRUE)
            FHaptic = SDL_HapticOpenFromJoystick(joystick);
    }

    ~Joystick() override {
        if (FHaptic)
            SDL_HapticClose(FHaptic);
        SDL_JoystickClose(FJoystick);
    }

    HRESULT SetProperty(DIPROP property, const DIPROPHEADER* header) override {
        if (!header)
            return E_POINTER;
        if (header->dwHeaderSize != sizeof(DIPROPHEADER))
            return DIERR_INVALIDPARAM;
        switch (property) {
        case DIPROP_RANGE: {
            if (header->dwSize != sizeof(DIPROPRANGE))
                return DIERR_INVALIDPARAM;
            const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
            if (range->lMin >= range->lMax)
                return DIERR_INVALIDPARAM;
            return ForAxes(*header, [range](Axis& axis) {
                axis.Min = range->lMin;
                axis.Max = range->lMax;
            });
        }
        case DIPROP_DEADZONE: {
            if (header->dwSize != sizeof(DIPROPDWORD))
                return DIERR_INVALIDPARAM;
            const DWORD deadZone = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            if (deadZone > 10000)
                return DIERR_INVALIDPARAM;
            return ForAxes(*header, [deadZone](Axis& axis) { axis.DeadZone = deadZone; });
        }
        case DIPROP_AUTOCENTER: {
            if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE ||
                header->dwObj != 0)
                return DIERR_INVALIDPARAM;
            const DWORD on = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            if (on != DIPROPAUTOCENTER_OFF && on != DIPROPAUTOCENTER_ON)
                return DIERR_INVALIDPARAM;
            if (!FHaptic || !(SDL_HapticQuery(FHaptic) & SDL_HAPTIC_AUTOCENTER))
                return DIERR_UNSUPPORTED;
            return SDL_HapticSetAutocenter(FHaptic, on ? 100 : 0) == 0 ? DI_OK : DIERR_GENERIC;
        }
        default:
            return DIERR_UNSUPPORTED;
        }
    }

protected:
    void FillCaps(DIDEVCAPS& caps) override {
        caps.dwFlags = DIDC_POLLEDDEVICE | (Present() ? DIDC_ATTACHED : 0) |
                       (FHaptic ? DIDC_FORCEFEEDBACK : 0);
        caps.dwDevType = DevTypeOf(SDL_JoystickGetType(FJoystick));
        caps.dwAxes = static_cast<DWORD>(FAxisCount);
        caps.dwButtons = static_cast<DWORD>(FButtonCount);
        caps.dwPOVs = static_cast<DWORD>(FHatCount);
    }

    bool Present() override { return SDL_JoystickGetAttached(FJoystick) == SDL_TRUE; }

    HRESULT Refresh() override {
        SDL_JoystickUpdate();
        return DI_OK;
    }

    void ReadState(void* data) override {
        DIJOYSTATE state;
        LONG* const axisSlots[kMaxAxes] = {&state.lX,           &state.lY,          &state.lZ,
                                           &state.lRx,          &state.lRy,         &state.lRz,
                                           &state.rglSlider[0], &state.rglSlider[1]};
        for (int i = 0; i < FAxisCount; ++i)
            *axisSlots[i] = ScaleAxis(SDL_JoystickGetAxis(FJoystick, i), FAxes[i]);
        for (int i = 0; i < kMaxPOVs; ++i)
            state.rgdwPOV[i] =
                i < FHatCount ? PovFromHat(SDL_JoystickGetHat(FJoystick, i)) : 0xFFFFFFFFu;
        for (int i = 0; i < std::min(FButtonCount, kStateButtons); ++i)
            state.rgbButtons[i] = SDL_JoystickGetButton(FJoystick, i) ? 0x80 : 0;
        std::memcpy(data, &state, sizeof(state));
    }

private:
    // Applies a range or dead zone to the axes the header names: all of them, or the one at
    // a byte offset of the data format. Buttons, POVs and axes the device lacks are not found.
    template <typename Apply>
    HRESULT ForAxes(const DIPROPHEADER& header, Apply apply) {
        if (header.dwHow == DIPH_DEVICE) {
            if (header.dwObj != 0)
                return DIERR_INVALIDPARAM;
            for (int i = 0; i < FAxisCount; ++i)
                apply(FAxes[i]);
            return DI_OK;
        }
        if (header.dwHow != DIPH_BYOFFSET)
            return header.dwHow == DIPH_BYID ? DIERR_UNSUPPORTED : DIERR_INVALIDPARAM;
        if (!FormatSet())
            return DIERR_INVALIDPARAM;
        if (header.dwObj % 4 != 0 || header.dwObj / 4 >= static_cast<DWORD>(FAxisCount))
            return DIERR_NOTFOUND;
        apply(FAxes[header.dwObj / 4]);
        return DI_OK;
    }

    SDL_Joystick* const FJoystick;
    SDL_Haptic* FHaptic = nullptr;
    int FAxisCount = 0;
    int FButtonCount = 0;
    int FHatCount = 0;
    Axis FAxes[kMaxAxes];
};

} // namespace

std::unique_ptr<Device> CreateJoystick(std::shared_ptr<Context> context, const GUID& instance,
                                       HRESULT& result) {
    result = DIERR_DEVICENOTREG;
    SDL_JoystickID id = 0;
    if (!IdFromGuid(instance, id))
        return nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) != id)
            continue;
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        if (!joystick) {
            result = DIERR_GENERIC;
            return nullptr;
        }
        result = DI_OK;
        return std::make_unique<Joystick>(std::move(context), joystick);
    }
    return nullptr;
}

bool EnumJoysticks(LPDIENUMDEVICESCALLBACK callback, void* ref) {
    // SDL's instance ids grow with every attachment, so sorting by them lists the controllers
    // in the order they arrived: the same order every time, whatever SDL's indices do.
    struct Entry {
        SDL_JoystickID Id;
        int Index;
    };
    std::vector<Entry> entries;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id >= 0)
            entries.push_back({id, index});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.Id < b.Id; });
    for (const Entry& entry : entries) {
        DIDEVICEINSTANCE instance;
        instance.guidInstance = InstanceGuid(entry.Id);
        const SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(entry.Index);
        static_assert(sizeof(product.data) == sizeof(GUID));
        std::memcpy(&instance.guidProduct, product.data, sizeof(GUID));
        instance.dwDevType = DevTypeOf(SDL_JoystickGetDeviceType(entry.Index));
        const char* name = SDL_JoystickNameForIndex(entry.Index);
        const std::string text = rtl::Utf8ToWin1252(name ? name : "Joystick");
        std::strncpy(instance.tszInstanceName, text.c_str(), MAX_PATH - 1);
        std::strncpy(instance.tszProductName, text.c_str(), MAX_PATH - 1);
        if (callback(&instance, ref) == DIENUM_STOP)
            return false;
    }
    return true;
}

} // namespace dinput::detail
