// The platform's own message box: what MessageBox shows when SDL cannot show one (an X server
// without core fonts, a Wayland session without a helper program).
//
// Stands in for: the system's modal message box with a caption, a text and up to three buttons.
// Relies on: an SDL window with a software surface (no OpenGL, so it works beside either
// device), FreeType text through gdi, SDL's keyboard and mouse events.
// Limits: no icons (the caption strip's colour tells errors, warnings and the rest apart); no
// mnemonics; text is Windows-1252 like all of the program's own text.
//
// The layout and the keyboard and mouse logic are plain classes, so they are tested without a
// display; ShowMessageWindow is the thin SDL loop around them.
#pragma once

#include "platform/gdi/Gdi.h"

#include <string>
#include <vector>

namespace win {

struct MessageButton {
    int Id = 0;
    std::string Label;
};

struct MessageRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Contains(int x, int y) const {
        return x >= Left && x < Left + Width && y >= Top && y < Top + Height;
    }
};

// Where everything goes in the box, for one font.
struct MessageWindowLayout {
    int Width = 0;
    int Height = 0;
    MessageRect CaptionStrip;
    int LineHeight = 0;
    int TextLeft = 0;
    int TextTop = 0;
    std::vector<std::string> Lines; // the text broken to fit MaxTextWidth
    std::vector<MessageRect> Buttons;

    static constexpr int MaxTextWidth = 440;
};

// Lines are broken at the text's own line ends and between words; a word wider than a line
// is cut where it must be. Buttons sit in one centred row under the text.
// The caption goes in bold on a strip across the top: without a window manager there is no
// title bar to carry it.
MessageWindowLayout LayOutMessageWindow(gdi::Font& font, gdi::Font& bold,
                                        const std::string& caption, const std::string& text,
                                        const std::vector<MessageButton>& buttons);

enum class MessageKey { Return, Space, Escape, Next, Previous };

// The box's meaning of an SDL key (its keycode and modifiers); false for keys it ignores.
bool MessageKeyOf(int sym, unsigned mod, MessageKey& key);

// Which button has the focus and which is held down, and what each key or click answers.
// Return (and Space) press the focused button, which starts as the default one; Escape gives
// the escape answer whatever has the focus.
class MessageWindowInput {
public:
    MessageWindowInput(std::vector<MessageButton> buttons, int defaultIndex, int escapeId);

    // The answer (a button's id), or 0 while the box stays open.
    int Key(MessageKey key);
    void MouseDown(const MessageWindowLayout& layout, int x, int y);
    // A click answers only when it is released over the button it was pressed on.
    int MouseUp(const MessageWindowLayout& layout, int x, int y);
    int EscapeAnswer() const { return FEscapeId; }

    int Focus() const { return FFocus; }
    int Pressed() const { return FPressed; } // -1: none

private:
    std::vector<MessageButton> FButtons;
    int FFocus = 0;
    int FPressed = -1;
    int FEscapeId = 0;
};

// Caption strip colours by the box's icon (the MB_ICON* bits of its type).
uint32_t CaptionStripColor(unsigned iconBits);

void PaintMessageWindow(const MessageWindowLayout& layout, const MessageWindowInput& input,
                        const std::vector<MessageButton>& buttons, const std::string& caption,
                        uint32_t stripColor, gdi::Font& font, gdi::Font& bold,
                        gdi::Bitmap32& target);

// To be called before SDL's video starts. On Wayland, SDL 2.26 with its window-frame library
// (libdecor, used where the compositor draws no frames itself) leaves the shell's toplevel of
// every window it destroys alive; once one of those had the keyboard, the compositor's next
// focus change reaches the freed window inside SDL and the program crashes. A box is such a
// window, so without this the game dies at the first click after a box. Without the library a
// window there has no frame of SDL's drawing (the compositor may still draw one). The
// environment (SDL_VIDEO_WAYLAND_ALLOW_LIBDECOR=1) can still ask for it.
void AvoidWaylandFrameLibrary();

// Shows the box over parent (an SDL window, may be null) and waits for the answer. -1 when it
// cannot be shown (no video driver that a person can see, no window, no font).
// A desktop shows it as a window of its own (MessageWindowHost.cpp); a browser page has one
// canvas, so there it is drawn over the middle of the parent's picture, which it puts back.
int ShowMessageWindow(void* parent, const std::string& caption, const std::string& text,
                      const std::vector<MessageButton>& buttons, int defaultIndex, int escapeId,
                      unsigned iconBits);

} // namespace win
