// Every unit test program runs headless (SDL's dummy drivers, no window appears, message boxes
// are recorded) and knows which leaks belong to system libraries rather than to us.
#include "platform/win/Dialogs.h"

#include <cstdio>
#include <gtest/gtest.h>

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

} // namespace

extern "C" const char* __lsan_default_suppressions() {
    return gSuppressions;
}

int main(int argc, char** argv) {
    LoadSuppressions();
    win::SetHeadless(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
