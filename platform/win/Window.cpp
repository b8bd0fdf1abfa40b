#include "platform/win/Window.h"

#include <SDL.h>
#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace win {

namespace {

struct TimerRecord {
    HWND window = nullptr;
    uintptr_t id = 0;
    SDL_TimerID sdlId = 0;
};

// Everything shared with timer threads sits behind one lock.
struct Registry {
    std::mutex lock;
    std::set<HWND> windows;
    std::deque<TMsg> queue;
    // Timer callbacks carry a key, not a pointer, so a callback already running when its timer
    // is killed finds nothing instead of freed memory.
    std::map<uintptr_t, TimerRecord> timers;
    uintptr_t nextTimerKey = 1;
    uint32_t wakeEvent = 0;
};

Registry& registry() {
    static Registry r;
    return r;
}

HWND gFocus = nullptr;

void WakeLoop() {
    Registry& r = registry();
    if (r.wakeEvent == 0 || !SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event e{};
    e.type = r.wakeEvent;
    SDL_PushEvent(&e);
}

// Caller holds the lock.
bool QueueLocked(Registry& r, const TMsg& msg) {
    if (msg.hwnd && !r.windows.count(msg.hwnd))
        return false;
    if (msg.message == WM_TIMER) {
        const bool waiting = std::any_of(r.queue.begin(), r.queue.end(), [&](const TMsg& m) {
            return m.hwnd == msg.hwnd && m.message == WM_TIMER && m.wParam == msg.wParam;
        });
        if (waiting)
            return true;
    }
    r.queue.push_back(msg);
    return true;
}

Uint32 TimerCallback(Uint32 interval, void* param) {
    Registry& r = registry();
    const auto key = reinterpret_cast<uintptr_t>(param);
    {
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.timers.find(key);
        if (it == r.timers.end())
            return 0;
        TMsg msg;
        msg.hwnd = it->second.window;
        msg.message = WM_TIMER;
        msg.wParam = it->second.id;
        msg.time = SDL_GetTicks();
        QueueLocked(r, msg);
    }
    WakeLoop();
    return interval;
}

class MessageOnlyWindow : public Window {
public:
    explicit MessageOnlyWindow(TWndMethod method) : FMethod(std::move(method)) {}
    void WndProc(TMessage& message) override {
        if (FMethod)
            FMethod(message);
    }

private:
    TWndMethod FMethod;
};

} // namespace

Window::Window() : WindowProc([this](TMessage& m) { WndProc(m); }) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.windows.insert(this);
}

Window::~Window() {
    Registry& r = registry();
    std::vector<SDL_TimerID> dead;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.windows.erase(this);
        for (auto it = r.timers.begin(); it != r.timers.end();) {
            if (it->second.window == this) {
                dead.push_back(it->second.sdlId);
                it = r.timers.erase(it);
            } else {
                ++it;
            }
        }
        std::erase_if(r.queue, [this](const TMsg& m) { return m.hwnd == this; });
    }
    for (SDL_TimerID id : dead)
        SDL_RemoveTimer(id);
    if (gFocus == this)
        gFocus = nullptr;
}

void Window::WndProc(TMessage&) {}

LRESULT Window::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (WindowProc)
        WindowProc(message);
    return message.Result;
}

bool IsWindow(HWND window) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return window && r.windows.count(window) != 0;
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    Registry& r = registry();
    bool queued = false;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        queued = window && QueueLocked(r, TMsg{window, msg, wParam, lParam, SDL_GetTicks()});
    }
    if (queued)
        WakeLoop();
    return queued;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(window))
        return 0;
    return window->Perform(msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.queue.push_back(TMsg{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0});
    }
    WakeLoop();
}

HWND AllocateHWnd(TWndMethod method) {
    return new MessageOnlyWindow(std::move(method));
}

void DeallocateHWnd(HWND window) {
    delete window;
}

bool SetTimer(HWND window, uintptr_t id, UINT milliseconds) {
    if (!IsWindow(window))
        return false;
    KillTimer(window, id);
    if (!SDL_WasInit(SDL_INIT_TIMER) && SDL_InitSubSystem(SDL_INIT_TIMER) != 0)
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    const uintptr_t key = r.nextTimerKey++;
    // The lock is held while SDL starts the timer, so its first callback waits until the
    // record exists.
    const SDL_TimerID sdlId =
        SDL_AddTimer(std::max<UINT>(milliseconds, 1), TimerCallback, reinterpret_cast<void*>(key));
    if (sdlId == 0)
        return false;
    r.timers[key] = TimerRecord{window, id, sdlId};
    return true;
}

bool KillTimer(HWND window, uintptr_t id) {
    Registry& r = registry();
    SDL_TimerID sdlId = 0;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        for (auto it = r.timers.begin(); it != r.timers.end(); ++it) {
            if (it->second.window == window && it->second.id == id) {
                sdlId = it->second.sdlId;
                r.timers.erase(it);
                break;
            }
        }
        std::erase_if(r.queue, [&](const TMsg& m) {
            return m.hwnd == window && m.message == WM_TIMER && m.wParam == id;
        });
    }
    if (sdlId == 0)
        return false;
    SDL_RemoveTimer(sdlId);
    return true;
}

HWND GetFocus() {
    return gFocus;
}

HWND SetFocus(HWND window) {
    HWND previous = gFocus;
    if (window && !IsWindow(window))
        return nullptr;
    if (previous == window)
        return previous;
    gFocus = window;
    if (previous && IsWindow(previous))
        previous->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window)
        window->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

namespace detail {

bool PeekQueuedMessage(TMsg& msg) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.queue.empty())
        return false;
    msg = r.queue.front();
    r.queue.pop_front();
    return true;
}

bool HasQueuedMessages() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return !r.queue.empty();
}

void DiscardQueuedMessages() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.queue.clear();
}

uint32_t WakeEventType() {
    Registry& r = registry();
    if (r.wakeEvent == 0)
        r.wakeEvent = SDL_RegisterEvents(1);
    return r.wakeEvent;
}

} // namespace detail

} // namespace win
