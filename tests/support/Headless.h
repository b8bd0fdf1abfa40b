// A headless application on a virtual clock, for tests that run the message loop.
#pragma once

#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "platform/win/Dialogs.h"

#include <filesystem>
#include <string>

namespace testing_support {

class HeadlessApp {
public:
    HeadlessApp();
    ~HeadlessApp();

    win::TApplication App;
    win::VirtualClock Clock;
};

// A fresh folder under the system's temporary folder, removed again at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string File(const std::string& name) const { return (Path / name).string(); }
    std::filesystem::path Path;
};

} // namespace testing_support
