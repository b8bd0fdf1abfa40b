// Program entry: initialise the application, title it, create the main form (which runs its
// start-up handler) and run the message loop until the main form closes.
#include "game/ThemeAhead.h"
#include "game/Unit1.h"
#include "platform/win/Application.h"

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    // `kosmorra FILE` plays a collection (a folder of them too), `kosmorra --own` the game's own
    // levels. A relative path is the starting folder's: the game moves to its own folder soon.
    if (argc > 1) {
        const std::string arg = argv[1];
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(arg, error);
        TForm1::StartCollection =
            arg == TForm1::kOwnLevels || error ? arg : absolute.lexically_normal().string();
    }
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
