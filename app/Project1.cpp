// Program entry: initialise the application, title it, create the main form (which runs its
// start-up handler) and run the message loop until the main form closes.
#include "game/ThemeAhead.h"
#include "game/Unit1.h"
#include "platform/win/Application.h"

int main() {
    win::TApplication application;
    // The theme's pictures decode while the display starts (most of the start-up's work each).
    const auto themeAhead = DecodeThemeAhead();
    if (!application.Initialize())
        return 1;
    application.Title = "Trundlo";
    application.CreateForm<TForm1>();
    application.Run();
    return application.ExitCode;
}
