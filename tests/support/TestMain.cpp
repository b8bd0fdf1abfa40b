// Every unit test program runs headless: no window appears, message boxes are recorded.
// --update-golden rewrites the golden pictures the program compares with.
#include "platform/win/Dialogs.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv) {
    win::SetHeadless(true);
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--update-golden")
            testing_support::SetUpdateGolden(true);
    return RUN_ALL_TESTS();
}
