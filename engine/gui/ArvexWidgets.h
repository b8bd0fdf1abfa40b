// The two concrete widgets: TArvexButton (picture button with a caption, toggles and radio
// groups) and TArvexEdit (one-line text box with caret, length limit and character filters).
#pragma once

#include "engine/gui/ArvexGUI.h"

#include <string>

class TArvexButton : public TArvexGUIComponent {
public:
    explicit TArvexButton(TArvexGUIList* list);

    void Click() override;
    void KeyInput(bool isChar, uint16_t& key, TShiftState shift) override;
    void Draw() override;

    std::string Caption;
    bool CenterCaption = true;
    bool Toggle = false;
    int32_t CaptionOffsetY = 0;
    int32_t CaptionOffsetX = 0;
    int32_t GroupIndex = -1;
};

// CharFilter values.
constexpr uint8_t cfAny = 0;
constexpr uint8_t cfUpperOnly = 1;
constexpr uint8_t cfLowerOnly = 2;
constexpr uint8_t cfDigitsOnly = 3;
constexpr uint8_t cfToUpper = 4;
constexpr uint8_t cfToLower = 5;

class TArvexEdit : public TArvexGUIComponent {
public:
    explicit TArvexEdit(TArvexGUIList* list);

    void Click() override;
    void KeyInput(bool isChar, uint16_t& key, TShiftState shift) override;
    void Draw() override;

    int32_t MaxLength = -1;
    bool ReadOnly = false;
    uint8_t CharFilter = cfAny;
    std::string Text; // Windows-1252
    int32_t CaretPos = 0;
    int32_t TextBlendMode = 0;
    int32_t TextMargin = 5;
    std::string Caret = "_";
    bool ShowCaret = true;
};
