// Every unit test program runs headless: no window appears, message boxes are recorded.
#include "platform/win/Dialogs.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    win::SetHeadless(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
