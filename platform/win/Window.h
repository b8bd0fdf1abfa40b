// Windows and the message queue.
//
// A Window is anything that can receive messages: a form, or a message-only window made with
// AllocateHWnd. Its WindowProc can be replaced and restored by whoever hooks it (the input
// component does), and messages reach it either posted through the queue, where the
// application's message loop and its hook see them first, or sent straight to WindowProc.
//
// The queue may be posted to from any thread (SDL timer callbacks do); everything else,
// windows included, belongs to the main thread.
#pragma once

#include "platform/win/Messages.h"

#include <functional>

namespace win {

using TWndMethod = std::function<void(TMessage&)>;

class Window {
public:
    Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Kills the window's timers and drops its queued messages.
    virtual ~Window();

    // The procedure every message goes through; starts as the window's own WndProc.
    TWndMethod WindowProc;

    // The window's own handling; the base does nothing and leaves Result 0.
    virtual void WndProc(TMessage& message);

    // Delivers a message to WindowProc at once.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    HWND Handle() { return this; }
};

bool IsWindow(HWND window);

// Queues a message for the window; false when the window does not exist. Thread-safe.
bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Delivers it at once (main thread only); 0 when the window does not exist.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues WM_QUIT: the message loop ends when it takes it.
void PostQuitMessage(int exitCode);

// A message-only window whose messages go to method.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);

// Periodic WM_TIMER messages (wParam = id) to window, posted from a timer thread; like the
// system's, they do not pile up: while one is waiting in the queue no second one is added.
// Setting an existing id again restarts it with the new interval.
bool SetTimer(HWND window, uintptr_t id, UINT milliseconds);
bool KillTimer(HWND window, uintptr_t id);

// The window that receives key messages.
HWND GetFocus();
HWND SetFocus(HWND window);

namespace detail {
// Queue access for the message loop (main thread).
bool PeekQueuedMessage(TMsg& msg);
bool HasQueuedMessages();
// Drops everything queued (an application that ends leaves nothing for the next one).
void DiscardQueuedMessages();
// Event type SDL uses to wake a blocked message loop when a message is posted.
uint32_t WakeEventType();
} // namespace detail

} // namespace win
