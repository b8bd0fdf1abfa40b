// Program entry: initialise the application, title it, create the main form (which runs its
// start-up handler) and run the message loop until the main form closes.
#include "game/Unit1.h"
#include "platform/win/Application.h"

int main() {
    win::TApplication application;
    if (!application.Initialize())
        return 1;
    application.Title = "Trundlo";
    application.CreateForm<TForm1>();
    application.Run();
    return application.ExitCode;
}
