#include "platform/win/Application.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Storage.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Dialogs.h"
#include "platform/win/HostTurn.h"
#include "platform/win/Keys.h"
#include "platform/win/MessageWindow.h"

#include <SDL.h>
#include <cstdio>

namespace win {

TApplication* Application = nullptr;

namespace {

WPARAM MouseKeyFlags(uint32_t buttons) {
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

LPARAM ClientPoint(TForm* form, int x, int y) {
    if (form->ClientMapping)
        form->ClientMapping(x, y);
    return MAKELPARAM(x, y);
}

// Keys whose key-down also types a control character, as the system's key translation does.
int ControlCharOf(int key) {
    switch (key) {
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

// Window events are sent straight to the window procedure, as the system does for activation
// and closing.
void TranslateWindowEvent(const SDL_WindowEvent& e) {
    TForm* form = FindFormByWindowID(e.windowID);
    if (!form)
        return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        SendMessage(form, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SendMessage(form, WM_ACTIVATEAPP, 1, 0);
        SendMessage(form, WM_ACTIVATE, WA_ACTIVE, 0);
        SetFocus(form);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        SendMessage(form, WM_ACTIVATE, WA_INACTIVE, 0);
        SendMessage(form, WM_ACTIVATEAPP, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        SendMessage(form, WM_SIZE, 0, MAKELPARAM(e.data1, e.data2));
        break;
    default:
        break;
    }
}

void TranslateMouseButton(const SDL_MouseButtonEvent& e) {
    TForm* form = FindFormByWindowID(e.windowID);
    if (!form)
        return;
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    // Every second click of a quick series is a double click; the one after it is a plain
    // press again.
    const bool dbl = down && e.clicks >= 2 && e.clicks % 2 == 0;
    UINT msg = 0;
    switch (e.button) {
    case SDL_BUTTON_LEFT:
        msg = dbl ? WM_LBUTTONDBLCLK : down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case SDL_BUTTON_RIGHT:
        msg = dbl ? WM_RBUTTONDBLCLK : down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case SDL_BUTTON_MIDDLE:
        msg = dbl ? WM_MBUTTONDBLCLK : down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    default:
        return;
    }
    PostMessage(form, msg, MouseKeyFlags(SDL_GetMouseState(nullptr, nullptr)),
                ClientPoint(form, e.x, e.y));
}

// Keys and text go to their window, or to the focused form when SDL names none.
TForm* KeyTarget(Uint32 windowID) {
    if (TForm* form = FindFormByWindowID(windowID))
        return form;
    return dynamic_cast<TForm*>(GetFocus());
}

void TranslateKey(const SDL_KeyboardEvent& e) {
    TForm* form = KeyTarget(e.windowID);
    if (!form)
        return;
    const UINT vk = VirtualKeyFromSDL(e.keysym.sym);
    const bool down = e.type == SDL_KEYDOWN;
    // Key-message lParam: repeat count 1, scan code, previous-state and transition bits.
    LPARAM lParam = 1 | (static_cast<LPARAM>(e.keysym.scancode & 0xFF) << 16);
    if (!down)
        lParam |= static_cast<LPARAM>(3u << 30);
    else if (e.repeat)
        lParam |= static_cast<LPARAM>(1u << 30);
    if (vk != 0)
        PostMessage(form, down ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
    if (down) {
        if (const int ch = ControlCharOf(e.keysym.sym))
            PostMessage(form, WM_CHAR, static_cast<WPARAM>(ch), lParam);
    }
}

// Input becomes posted messages, which the application's hook sees first.
void Translate(const SDL_Event& e, TForm* mainForm) {
    switch (e.type) {
    case SDL_QUIT:
        // Only a signal gets here (the last window's close is its own event): close politely.
        if (mainForm)
            SendMessage(mainForm, WM_CLOSE, 0, 0);
        return;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(e.window);
        return;
    case SDL_MOUSEMOTION:
        if (TForm* form = FindFormByWindowID(e.motion.windowID))
            PostMessage(form, WM_MOUSEMOVE, MouseKeyFlags(e.motion.state),
                        ClientPoint(form, e.motion.x, e.motion.y));
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateMouseButton(e.button);
        return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(e.key);
        return;
    case SDL_DROPFILE: {
        // SDL hands over the path, which must be freed whoever takes it.
        const std::string path = e.drop.file ? e.drop.file : "";
        SDL_free(e.drop.file);
        TForm* form = FindFormByWindowID(e.drop.windowID);
        if (!form)
            form = mainForm;
        if (form && form->OnDropFile && !path.empty())
            form->OnDropFile(path);
        return;
    }
    case SDL_TEXTINPUT:
        if (TForm* form = KeyTarget(e.text.windowID))
            for (const char ch : rtl::Utf8ToWin1252(e.text.text))
                PostMessage(form, WM_CHAR, static_cast<uint8_t>(ch), 1);
        return;
    default:
        return;
    }
}

} // namespace

TApplication::TApplication() : rtl::TComponent(nullptr) {
    Application = this;
}

TApplication::~TApplication() {
    DestroyComponents();
    detail::DiscardQueuedMessages();
    ReleaseCursors();
    if (FInitialized)
        SDL_Quit();
    if (Application == this)
        Application = nullptr;
}

bool TApplication::Initialize() {
    if (FInitialized)
        return true;
    // The last window closing is a WM_CLOSE of its form, not a request to quit behind its back.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    AvoidWaylandFrameLibrary();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "Cannot start the display: %s\n", SDL_GetError());
        return false;
    }
    FInitialized = true;
    detail::WakeEventType();
    if (!rtl::ChangeToProgramDir())
        std::fprintf(stderr, "Cannot change to the program's folder %s\n",
                     rtl::ProgramDir().c_str());
    rtl::RestorePlayerFiles();
    return true;
}

void TApplication::Run() {
    if (MainForm)
        MainForm->Show();
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::PumpEvents() {
    if (!FInitialized)
        return;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        Translate(e, MainForm);
}

bool TApplication::ProcessMessage(TMsg& msg) {
    PumpEvents();
    if (!detail::PeekQueuedMessage(msg))
        return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    bool handled = false;
    if (OnMessage)
        OnMessage(msg, handled);
    if (!handled)
        DispatchMessage(msg);
    return true;
}

void TApplication::DispatchMessage(const TMsg& msg) {
    if (!msg.hwnd || !IsWindow(msg.hwnd))
        return;
    try {
        msg.hwnd->Perform(msg.message, msg.wParam, msg.lParam);
    } catch (...) {
        HandleException(dynamic_cast<rtl::TObject*>(msg.hwnd));
    }
}

void TApplication::Idle() {
    bool done = true;
    try {
        if (OnIdle)
            OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
    if (done && !FTerminated && !detail::HasQueuedMessages() && FInitialized)
        SDL_WaitEvent(nullptr);
    else if (!done)
        GiveHostItsTurn();
}

void TApplication::HandleMessage() {
    TMsg msg;
    if (!ProcessMessage(msg))
        Idle();
}

void TApplication::ProcessMessages() {
    TMsg msg;
    while (!FTerminated && ProcessMessage(msg)) {
    }
}

void TApplication::Step() {
    ProcessMessages();
    if (FTerminated)
        return;
    bool done = true;
    try {
        if (OnIdle)
            OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::HandleException(rtl::TObject* sender) {
    try {
        throw;
    } catch (const std::exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        const rtl::Exception unknown("Unknown exception");
        if (OnException)
            OnException(sender, unknown);
        else
            ShowException(unknown);
    }
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    // A sentence ends with a full stop, unless it already ends in punctuation.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    MessageBox(MainForm, text, Title, MB_OK | MB_ICONSTOP);
}

} // namespace win
