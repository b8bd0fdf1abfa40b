// The application: its title, its forms and the message loop.
//
// The loop takes one message at a time from the queue (SDL's events are translated into window
// messages first), shows it to OnMessage, and unless that handles it delivers it to the
// window's procedure. When the queue is empty it calls OnIdle; only if the idle handler leaves
// its done flag true does the loop block until the next message. The frame timer relies on
// exactly this: it clears done to keep the loop spinning.
//
// An exception escaping a handler never ends the loop: it goes to HandleException, which shows
// it (or passes it to OnException) and the loop goes on.
#pragma once

#include "platform/rtl/Component.h"
#include "platform/win/Forms.h"

#include <exception>
#include <functional>
#include <string>

namespace win {

using TIdleEvent = std::function<void(rtl::TObject* sender, bool& done)>;
using TMessageEvent = std::function<void(TMsg& msg, bool& handled)>;
using TExceptionEvent = std::function<void(rtl::TObject* sender, const std::exception& e)>;

class TApplication : public rtl::TComponent {
public:
    TApplication();
    // Destroys the forms, then shuts SDL down.
    ~TApplication() override;

    // Starts SDL's video, timer and event subsystems and makes the program's folder the current
    // folder. False (with the reason on stderr and in a message box where possible) when
    // there is no display to run on.
    bool Initialize();

    // Creates a form owned by the application; the first one created becomes MainForm, once
    // its OnCreate has run.
    template <typename T>
    T* CreateForm() {
        T* form = new T(this);
        form->AfterConstruction();
        if (!MainForm)
            MainForm = form;
        return form;
    }

    // Shows the main form and runs the loop until Terminate takes effect.
    void Run();
    // Asks the loop to end after the messages already queued.
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // One step of the loop: one message, or when there is none the idle handler and (if it
    // left done true) a wait for the next message.
    void HandleMessage();
    // Every message waiting now; no idle call, no wait.
    void ProcessMessages();
    // Every message waiting now, then one idle call; never waits. Scripted drivers step the
    // program with it, one frame per call.
    void Step();

    // Call from inside a catch block: hands the exception being handled to OnException, or
    // shows it.
    void HandleException(rtl::TObject* sender);
    // A message box with the exception's text, captioned with the title, and an error icon.
    void ShowException(const std::exception& e);

    std::string Title;
    TForm* MainForm = nullptr;
    // What the program returns when the loop has ended (1 after a fatal start-up failure).
    int ExitCode = 0;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TExceptionEvent OnException;

private:
    bool ProcessMessage(TMsg& msg);
    void Idle();
    void DispatchMessage(const TMsg& msg);
    void PumpEvents();

    bool FTerminated = false;
    bool FInitialized = false;
};

// The one application object, while it exists.
extern TApplication* Application;

} // namespace win
