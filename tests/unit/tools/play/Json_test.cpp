#include "tools/play/Json.h"

#include <gtest/gtest.h>

using play::JsonValue;

// The game's messages quote file names; a state dump must stay valid JSON around them.
TEST(Json, StringsEscapeQuotesBackslashesAndControlCharacters) {
    const JsonValue message =
        JsonValue::String("The level file \"./levels\\Level4.sal\"\r\nis damaged\t\x01");
    EXPECT_EQ(message.Compact(),
              "\"The level file \\\"./levels\\\\Level4.sal\\\"\\r\\nis damaged\\t\\u0001\"");
}
