#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Numbers.h"

#include <gtest/gtest.h>

using namespace rtl;

TEST(StrToInt, AcceptsDecimalWithSignAndLeadingBlanks) {
    EXPECT_EQ(StrToInt("7"), 7);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("-12"), -12);
    EXPECT_EQ(StrToInt("+3"), 3);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RaisesTheConversionErrorForAnythingElse) {
    for (const char* bad : {"", " ", "abc", "12a", "1 2", "0x10", "$10", "-", "2147483648",
                            "99999999999999999999", "4 "}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted \"" << bad << "\"";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message, std::string("'") + bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("x", -5), -5);
}

TEST(Rounding, RoundSendsHalvesToEven) {
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(2.51), 3);
    EXPECT_EQ(Round(-0.4), 0);
}

TEST(Rounding, TruncGoesTowardZero) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
}

TEST(Rounding, RoundAwayUsesTheFixedPointStep) {
    EXPECT_EQ(RoundAway(2.5), 3);
    EXPECT_EQ(RoundAway(-2.5), -3);
    EXPECT_EQ(RoundAway(2.49996), 3);
    EXPECT_EQ(RoundAway(2.49994), 2);
    EXPECT_EQ(RoundAway(-2.49996), -3);
    EXPECT_EQ(RoundAway(0.0), 0);
    EXPECT_EQ(RoundAway(1.5), 2);
    EXPECT_EQ(RoundAway(-0.2), 0);
    EXPECT_EQ(RoundAway(64.0 * 15), 960);
}
