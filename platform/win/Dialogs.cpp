#include "platform/win/Dialogs.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Forms.h"
#include "platform/win/MessageWindow.h"
#include "platform/win/Window.h"

#include <SDL.h>
#include <cstdio>
#include <map>
#include <memory>

namespace win {

struct CursorImage {
    SDL_Surface* surface = nullptr;
    SDL_Cursor* cursor = nullptr;
    ~CursorImage() {
        if (cursor)
            SDL_FreeCursor(cursor);
        if (surface)
            SDL_FreeSurface(surface);
    }
};

namespace {

bool gHeadless = false;
int gHeadlessAnswer = IDOK;
int gBeeps = 0;
int gCursorCount = 0;
std::vector<RecordedMessageBox> gRecorded;
std::map<int, std::unique_ptr<CursorImage>> gCursors;
int gSelectedCursor = 0;
int gNextPrivateCursor = -1;

struct ButtonSet {
    std::vector<int> ids;
    std::vector<const char*> labels;
};

ButtonSet ButtonsOf(UINT type) {
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        return {{IDOK, IDCANCEL}, {"OK", "Cancel"}};
    case MB_YESNOCANCEL:
        return {{IDYES, IDNO, IDCANCEL}, {"Yes", "No", "Cancel"}};
    case MB_YESNO:
        return {{IDYES, IDNO}, {"Yes", "No"}};
    default:
        return {{IDOK}, {"OK"}};
    }
}

int FallbackAnswer(const ButtonSet& buttons, int wanted) {
    for (int id : buttons.ids) {
        if (id == wanted)
            return id;
    }
    return buttons.ids.front();
}

// Escape means "no thanks": Cancel where there is one, else No, else the only answer.
int EscapeAnswer(const ButtonSet& buttons) {
    for (int wanted : {IDCANCEL, IDNO})
        for (int id : buttons.ids)
            if (id == wanted)
                return id;
    return buttons.ids.front();
}

// Where SDL cannot show a box, our own window does; -1 when that cannot be shown either.
int ShowOwnBox(HWND owner, const std::string& text, const std::string& caption, UINT type,
               const ButtonSet& buttons) {
    std::vector<MessageButton> labelled;
    for (size_t i = 0; i < buttons.ids.size(); ++i)
        labelled.push_back({buttons.ids[i], buttons.labels[i]});
    auto* form = dynamic_cast<TForm*>(owner);
    void* parent = form ? form->NativeWindow() : nullptr;
    return ShowMessageWindow(parent, caption, text, labelled, 0, EscapeAnswer(buttons), type);
}

} // namespace

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    const ButtonSet buttons = ButtonsOf(type);
    if (gHeadless) {
        gRecorded.push_back({text, caption, type});
        std::fprintf(stderr, "[message box] %s: %s\n", caption.c_str(), text.c_str());
        return FallbackAnswer(buttons, gHeadlessAnswer);
    }

    const std::string utf8Text = rtl::Win1252ToUtf8(text);
    const std::string utf8Caption = rtl::Win1252ToUtf8(caption);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.ids.size(); ++i) {
        SDL_MessageBoxButtonData b{};
        b.buttonid = buttons.ids[i];
        b.text = buttons.labels[i];
        if (i == 0)
            b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons.ids[i] == EscapeAnswer(buttons))
            b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back(b);
    }
    const UINT icon = type & 0xF0;
    SDL_MessageBoxData box{};
    box.flags = icon == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                : icon == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                         : SDL_MESSAGEBOX_INFORMATION;
    box.title = utf8Caption.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    // The cursor may be hidden by the game; a box nobody can click is worse than a cursor.
    const int shown = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    int answer = 0;
    bool ok = SDL_ShowMessageBox(&box, &answer) == 0;
    if (!ok) {
        answer = ShowOwnBox(owner, text, caption, type, buttons);
        ok = answer > 0;
    }
    SDL_ShowCursor(shown);
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
        return FallbackAnswer(buttons, IDCANCEL);
    }
    return answer < 0 ? FallbackAnswer(buttons, IDCANCEL) : answer;
}

void MessageBeep(UINT) {
    ++gBeeps;
    if (!gHeadless)
        std::fputc('\a', stderr);
}

void SetHeadless(bool headless) {
    gHeadless = headless;
    if (headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        if (!SDL_getenv("SDL_AUDIODRIVER"))
            SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
}

bool IsHeadless() {
    return gHeadless;
}

std::vector<RecordedMessageBox>& RecordedMessageBoxes() {
    return gRecorded;
}

int BeepCount() {
    return gBeeps;
}

void SetHeadlessAnswer(int answer) {
    gHeadlessAnswer = answer;
}

int ShowCursor(bool show) {
    gCursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

HCURSOR CreateCursorFromPixels(const uint32_t* argb, int width, int height, int hotX, int hotY) {
    if (!argb || width <= 0 || height <= 0)
        return nullptr;
    auto image = std::make_unique<CursorImage>();
    image->surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!image->surface)
        return nullptr;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image->surface->pixels) +
                                                y * image->surface->pitch);
        for (int x = 0; x < width; ++x)
            row[x] = argb[y * width + x];
    }
    if (SDL_WasInit(SDL_INIT_VIDEO))
        image->cursor = SDL_CreateColorCursor(image->surface, hotX, hotY);
    // Kept under a private negative key until registered, so it is freed with the others.
    HCURSOR handle = image.get();
    gCursors[gNextPrivateCursor--] = std::move(image);
    return handle;
}

void RegisterCursor(int id, HCURSOR cursor) {
    for (auto it = gCursors.begin(); it != gCursors.end(); ++it) {
        if (it->second.get() == cursor && it->first != id) {
            std::unique_ptr<CursorImage> owned = std::move(it->second);
            gCursors.erase(it);
            gCursors[id] = std::move(owned);
            break;
        }
    }
    if (id == gSelectedCursor)
        SelectCursor(id);
}

HCURSOR RegisteredCursor(int id) {
    auto it = gCursors.find(id);
    return it == gCursors.end() ? nullptr : it->second.get();
}

void SelectCursor(int id) {
    gSelectedCursor = id;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    HCURSOR cursor = RegisteredCursor(id);
    if (cursor && cursor->cursor)
        SDL_SetCursor(cursor->cursor);
    else
        SDL_SetCursor(SDL_GetDefaultCursor());
}

void ReleaseCursors() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_SetCursor(SDL_GetDefaultCursor());
    gCursors.clear();
    gSelectedCursor = 0;
}

} // namespace win
