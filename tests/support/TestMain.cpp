// Every unit test program runs headless (SDL's dummy drivers, no window appears, message boxes
// are recorded) and knows which leaks belong to system libraries rather than to us.
// --update-golden rewrites the golden pictures the program compares with.
#include "engine/gui/ArvexGUI.h"
#include "platform/win/Dialogs.h"
#include "tests/support/GoldenImage.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

// Filled before any test runs; LeakSanitizer asks for it only when the program ends.
char gSuppressions[4096];

void LoadSuppressions() {
    std::FILE* file = std::fopen(KOSMORRA_LSAN_SUPPRESSIONS, "r");
    if (!file)
        return;
    const size_t n = std::fread(gSuppressions, 1, sizeof gSuppressions - 1, file);
    gSuppressions[n] = '\0';
    std::fclose(file);
}

// Every test starts from what a fresh program holds, whichever tests ran before it in this
// process: SDL_Quit (at the end of every application) clears SDL's hints, the headless drivers
// among them, and the GUIs share the program's mouse scales and last-move time.
class FreshProgramState : public testing::EmptyTestEventListener {
    void OnTestSuiteStart(const testing::TestSuite&) override { win::SetHeadless(true); }
    void OnTestStart(const testing::TestInfo&) override {
        win::SetHeadless(true);
        TArvexGUI::MouseScaleX = 1.0f;
        TArvexGUI::MouseScaleY = 1.0f;
        TArvexGUI::LastMoveTime = 0;
    }
};

} // namespace

extern "C" const char* __lsan_default_suppressions() {
    return gSuppressions;
}

int main(int argc, char** argv) {
    LoadSuppressions();
    win::SetHeadless(true);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshProgramState);
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--update-golden")
            testing_support::SetUpdateGolden(true);
    return RUN_ALL_TESTS();
}
