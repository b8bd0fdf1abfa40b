#include "engine/gui/ArvexWidgets.h"

#include "engine/sprites/ArvexBitmapFont.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Messages.h"

#include <algorithm>
#include <cmath>

namespace {

// Letter classes of the edit box's filters, in Windows-1252.
bool IsUpper(uint16_t c) {
    return (c >= 'A' && c <= 'Z') || c == 0xC4 || c == 0xD1 || c == 0xD6 || c == 0xDC;
}

bool IsLower(uint16_t c) {
    return (c >= 'a' && c <= 'z') || c == 0xE4 || c == 0xF1 || c == 0xF6 || c == 0xFC;
}

bool IsDigit(uint16_t c) {
    return c >= '0' && c <= '9';
}

int32_t RoundToInt(double v) {
    return static_cast<int32_t>(rtl::Round(v));
}

// Integer division rounding down, as the caption layout wants for negative sizes too.
int32_t FloorDiv(int32_t a, int32_t b) {
    const int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

// ---- TArvexButton -----------------------------------------------------------------------------

TArvexButton::TArvexButton(TArvexGUIList* list) : TArvexGUIComponent(list) {
    Caption = std::to_string(Id);
    FontColor = 0xFFFFFFFF;
}

void TArvexButton::Click() {
    TArvexGUIComponent::Click();
    if (Toggle)
        Checked = !Checked;
    if (Checked && GroupIndex >= 0 && List) {
        for (const std::unique_ptr<TArvexGUIComponent>& w : List->Items) {
            auto* other = dynamic_cast<TArvexButton*>(w.get());
            if (other && other != this && other->GroupIndex == GroupIndex)
                other->Checked = false;
        }
    }
}

void TArvexButton::KeyInput(bool isChar, uint16_t& key, TShiftState shift) {
    TArvexGUIComponent::KeyInput(isChar, key, shift);
    if (!isChar && (key == win::VK_RETURN || key == win::VK_SPACE))
        Click();
}

void TArvexButton::Draw() {
    TArvexGUIComponent::Draw();
    if (Checked && Images[3].Image)
        DrawOverlay(0);
    if (Images[3].Animate)
        AdvanceAnimation(3);
    if (Caption.empty() || !Font)
        return;
    const int32_t h = FloorDiv(RoundToInt(Font->TextHeight() * static_cast<double>(FontScaleY)), 2);
    const int32_t y = Y + CaptionOffsetY + FloorDiv(Height, 2) - h;
    int32_t x;
    if (CenterCaption) {
        const int32_t w =
            FloorDiv(RoundToInt(Font->TextWidth(Caption) * static_cast<double>(FontScaleX)), 2);
        x = X + CaptionOffsetX + FloorDiv(Width, 2) - w;
    } else {
        x = X + CaptionOffsetX + FloorDiv(Width, 4);
    }
    Font->TextOutEx(x, y, 0, FontScaleX, FontScaleY, FontColor, Caption, 0);
}

// ---- TArvexEdit -------------------------------------------------------------------------------

TArvexEdit::TArvexEdit(TArvexGUIList* list) : TArvexGUIComponent(list) {
    if (Font) {
        FontScaleX = Font->ScaleX;
        FontScaleY = Font->ScaleY;
    }
}

void TArvexEdit::Click() {
    TArvexGUIComponent::Click();
    GUI()->FocusId = Id;
}

void TArvexEdit::KeyInput(bool isChar, uint16_t& key, TShiftState shift) {
    TArvexGUIComponent::KeyInput(isChar, key, shift);
    if (ReadOnly)
        return;
    const auto length = static_cast<int32_t>(Text.size());
    CaretPos = std::clamp(CaretPos, 0, length);
    if (!isChar) {
        switch (key) {
        case win::VK_END:
            CaretPos = length;
            break;
        case win::VK_HOME:
            CaretPos = 0;
            break;
        case win::VK_LEFT:
            CaretPos = std::max(CaretPos, 1) - 1;
            break;
        case win::VK_RIGHT:
            CaretPos = std::min(CaretPos + 1, length);
            break;
        case win::VK_DELETE:
            if (!Text.empty() && CaretPos != length)
                Text.erase(static_cast<size_t>(CaretPos), 1);
            break;
        default:
            break;
        }
        return;
    }
    if (key == 8) {
        if (CaretPos >= 1) {
            Text.erase(static_cast<size_t>(CaretPos - 1), 1);
            --CaretPos;
        }
        return;
    }
    if (key == 13)
        return;
    if (MaxLength >= 0 && length >= MaxLength)
        return;
    uint16_t c = key;
    if (CharFilter == cfToUpper && IsLower(c))
        c = static_cast<uint16_t>(c - 0x20);
    if (CharFilter == cfToLower && IsUpper(c))
        c = static_cast<uint16_t>(c + 0x20);
    if ((CharFilter == cfUpperOnly && !IsUpper(c)) || (CharFilter == cfLowerOnly && !IsLower(c)) ||
        (CharFilter == cfDigitsOnly && !IsDigit(c)))
        return;
    // Only characters the font can draw are taken; a code above one byte never is.
    if (c > 0xFF || !Font || Font->Characters().find(static_cast<char>(c)) == std::string::npos)
        return;
    Text.insert(static_cast<size_t>(CaretPos), 1, static_cast<char>(c));
    ++CaretPos;
}

void TArvexEdit::Draw() {
    TArvexGUIComponent::Draw();
    if (!Font)
        return;
    const bool focused = GUI()->FocusId == Id;
    // Unlike the button's caption, the edit box halves toward zero (it matters only for a
    // negative height or a flipped font).
    const int32_t ty =
        Y + Height / 2 -
        static_cast<int32_t>(rtl::Trunc(Font->CharHeight() * static_cast<double>(FontScaleY))) / 2;
    if (CharRotation == 0) {
        if (Angle != 0) {
            Font->CenterX = static_cast<float>(
                static_cast<int32_t>(rtl::Trunc(Width * static_cast<double>(FontScaleX))) / 2);
            Font->CenterY = static_cast<float>(
                static_cast<int32_t>(rtl::Trunc(Height * static_cast<double>(FontScaleY))) / 2);
        }
        Font->TextOutEx(X + TextMargin, ty, Angle, FontScaleX, FontScaleY, FontColor, Text,
                        TextBlendMode);
    } else if (!Text.empty()) {
        for (size_t i = 0; i < Text.size(); ++i) {
            const std::string c(1, Text[i]);
            const int32_t x = X + TextMargin +
                              RoundToInt(Font->TextWidth(c) * static_cast<double>(FontScaleX) *
                                         static_cast<double>(i));
            Font->TextOutEx(x, ty, CharRotation, FontScaleX, FontScaleY, FontColor, c,
                            TextBlendMode);
        }
    }
    if (ShowCaret && focused) {
        const int32_t caret = std::clamp(CaretPos, 0, static_cast<int32_t>(Text.size()));
        const int32_t w = Font->TextWidth(Text.substr(0, static_cast<size_t>(caret)));
        if (Angle == 0) {
            Font->TextOutEx(X + TextMargin + RoundToInt(w * static_cast<double>(FontScaleX)), ty,
                            CharRotation, FontScaleX, FontScaleY, FontColor, Caret, TextBlendMode);
        } else {
            const double a = Angle * M_PI / 180.0;
            Font->TextOutEx(RoundToInt(std::cos(a) * w + X + TextMargin),
                            ty + RoundToInt(std::sin(a) * w), Angle, FontScaleX, FontScaleY,
                            FontColor, Caret, TextBlendMode);
        }
    }
    Font->CenterX = 0;
    Font->CenterY = 0;
    if (Images[3].Image && (Checked || focused))
        DrawOverlay(Angle);
    if (Images[3].Animate)
        AdvanceAnimation(3);
}
