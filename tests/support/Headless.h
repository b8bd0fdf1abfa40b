// A headless application on a virtual clock, for tests that run the message loop.
#pragma once

#include "platform/win/Application.h"
#include "platform/win/Clock.h"
#include "platform/win/Dialogs.h"

#include <filesystem>
#include <functional>
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

// Runs check where folder permissions bind: as is for an ordinary user, in a child process that
// has given up root otherwise (root writes into read-only folders). The check's folders must be
// readable by everyone. Records a test failure when check returns false.
void ExpectAsUnprivileged(const std::function<bool()>& check);

} // namespace testing_support
