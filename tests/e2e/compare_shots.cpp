// Compares pictures a script took with the golden pictures of the screens, exactly, as the unit
// tests compare theirs:
//
//   compare_shots [--update-golden] SHOT_DIR NAME.png...
//
// SHOT_DIR/NAME.png is compared with tests/golden/screen-NAME.png; a difference leaves the
// actual, expected and difference pictures in the build's tests/golden-failures folder. With
// --update-golden (or KOSMORRA_UPDATE_GOLDEN=1) the golden pictures are written instead.
#include "tests/support/GoldenImage.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--update-golden") {
        testing_support::SetUpdateGolden(true);
        args.erase(args.begin());
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: compare_shots [--update-golden] SHOT_DIR NAME.png...\n");
        return 2;
    }
    int failures = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& file = args[i];
        const std::string stem = file.substr(0, file.rfind(".png"));
        testing_support::Image shot;
        if (!testing_support::ReadPng(args[0] + "/" + file, shot)) {
            std::fprintf(stderr, "%s: the script took no such picture\n", file.c_str());
            ++failures;
            continue;
        }
        const ::testing::AssertionResult result =
            testing_support::MatchesGolden("screen-" + stem, shot);
        if (!result) {
            std::fprintf(stderr, "%s\n", result.message());
            ++failures;
        } else if (testing_support::UpdatingGolden()) {
            std::printf("%s\n", result.message());
        }
    }
    return failures == 0 ? 0 : 1;
}
