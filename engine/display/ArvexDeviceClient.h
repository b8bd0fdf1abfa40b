// Components that follow the screen's 3D device.
//
// After the screen has created or reset its device it tells the other components of its owner,
// and before it resets or releases the device it warns them. The screen cannot know those
// classes (they build on it), so each of them implements this interface and names its kind.
// The screen keeps one table of passes per step; each pass walks the owner's components in the
// owner's order and calls those of the pass's kinds:
//   ready: 1. image lists (textures first: fonts and widgets draw with them)
//          2. fonts, the GUI and input, mixed, as the owner orders them
//   lost:  1. fonts
//          2. image lists and the GUI, mixed, as the owner orders them; input is not called
// So within a pass a GUI made before a font is activated before the font is initialised.
#pragma once

enum class TDeviceClientKind { dcImageList, dcBitmapFont, dcGUI, dcInput };

class TArvexScreen;

class TArvexDeviceClient {
public:
    virtual ~TArvexDeviceClient() = default;
    virtual TDeviceClientKind DeviceClientKind() const = 0;
    // The device-ready step: LoadTextures of an image list, Initialize of a font or of the
    // input component, Activate of the GUI.
    virtual void DeviceReady() = 0;
    // The device-lost step: ReleaseTextures of an image list, Finalize of a font, Deactivate
    // of the GUI; nothing for input.
    virtual void DeviceLost() = 0;
    // A screen that finds an image list or a font joining its owner makes itself that
    // component's ArvexScreen through this. The other kinds are never asked.
    virtual void AssignScreen(TArvexScreen*) {}
};
