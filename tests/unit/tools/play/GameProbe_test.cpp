#include "tests/support/Headless.h"
#include "tools/play/GameProbe.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace play;

namespace {

JsonValue SampleState() {
    JsonValue state = JsonValue::Object();
    state.Set("screen", JsonValue::String("game"));
    state.Set("moving", JsonValue::Bool(false));
    state.Set("songPosition", JsonValue::Number(0.51));
    state.Set("objects", JsonValue::Array({JsonValue::Pair(8, 5), JsonValue::Pair(9, 5)}));
    state.Set("levelText", JsonValue());
    state.Set("message", JsonValue::String(""));
    return state;
}

} // namespace

TEST(GameProbe, ValuesMatchAsTheScriptWritesThem) {
    EXPECT_TRUE(Matches(JsonValue::String("game"), "game"));
    EXPECT_FALSE(Matches(JsonValue::String("game"), "Game"));
    EXPECT_TRUE(Matches(JsonValue::String(""), "\"\""));
    EXPECT_TRUE(Matches(JsonValue::String("[Options]\nMusic=1\n"), "[Options]\\nMusic=1\\n"));
    EXPECT_TRUE(Matches(JsonValue::Number(0.51), "0.51"));
    EXPECT_TRUE(Matches(JsonValue::Number(1), "1.000"));
    EXPECT_FALSE(Matches(JsonValue::Number(1), "1x"));
    EXPECT_FALSE(Matches(JsonValue::Number(0), ""));
    EXPECT_TRUE(Matches(JsonValue::Bool(true), "true"));
    EXPECT_FALSE(Matches(JsonValue::Bool(true), "1"));
    EXPECT_TRUE(Matches(JsonValue(), "null"));
    const JsonValue pairs = JsonValue::Array({JsonValue::Pair(8, 5), JsonValue::Pair(9, 5)});
    EXPECT_TRUE(Matches(pairs, "[[8, 5], [9, 5]]"));
    EXPECT_TRUE(Matches(pairs, "[[8,5],[9,5]]"));
    EXPECT_FALSE(Matches(pairs, "[[8,5]]"));
    EXPECT_EQ(Describe(JsonValue::String("a\nb")), "a\\nb");
    EXPECT_EQ(Describe(JsonValue::String("")), "\"\"");
    EXPECT_EQ(Describe(pairs), "[[8,5],[9,5]]");
}

TEST(GameProbe, FieldsAreFoundByNameAndIndex) {
    const JsonValue state = SampleState();
    JsonValue value;
    std::string why;
    ASSERT_TRUE(ReadField(state, "screen", value, why));
    EXPECT_EQ(value.AsString(), "game");
    ASSERT_TRUE(ReadField(state, "objects[1]", value, why));
    EXPECT_EQ(value.Compact(), "[9,5]");
    ASSERT_TRUE(ReadField(state, "objects[1][0]", value, why));
    EXPECT_EQ(value.AsNumber(), 9);
    EXPECT_FALSE(ReadField(state, "objects[2]", value, why));
    EXPECT_EQ(why, "objects[2] is beyond 2 elements");
    EXPECT_FALSE(ReadField(state, "pusher", value, why));
    EXPECT_EQ(why, "no field \"pusher\"");
    EXPECT_FALSE(ReadField(state, "objects[x]", value, why));
}

TEST(GameProbe, FilesAreReadAsTextOrBytes) {
    testing_support::TempDir dir;
    const std::string before = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(dir.Path.c_str()), 0);
    std::ofstream(dir.File("Config.ini"), std::ios::binary) << "[Options]\r\nMusic=0\r\n";
    std::ofstream(dir.File("compleated.cmp"), std::ios::binary) << std::string("\1\0\377", 3);
    const JsonValue state = SampleState();
    JsonValue value;
    std::string why;
    ASSERT_TRUE(ReadField(state, "text:config.ini", value, why));
    EXPECT_TRUE(Matches(value, "[Options]\\r\\nMusic=0\\r\\n"));
    ASSERT_TRUE(ReadField(state, "bytes:Compleated.cmp", value, why));
    EXPECT_EQ(value.Compact(), "[1,0,255]");
    ASSERT_TRUE(ReadField(state, "bytes:compleated.cmp[2]", value, why));
    EXPECT_EQ(value.AsNumber(), 255);
    ASSERT_TRUE(ReadField(state, "text:Nothing.ini", value, why));
    EXPECT_EQ(value.AsString(), "missing");
    ASSERT_EQ(::chdir(before.c_str()), 0);
}

TEST(GameProbe, DumpsStackRowsAndObjectsAndKeepPairsOnALine) {
    JsonValue state = JsonValue::Object();
    state.Set("level", JsonValue::Number(2));
    state.Set("pusher", JsonValue::Pair(7, 5));
    state.Set("board", JsonValue::Array({JsonValue::String("##"), JsonValue::String("#@")}));
    state.Set("objects", JsonValue::Array({JsonValue::Pair(8, 5)}));
    EXPECT_EQ(state.Pretty(), "{\n"
                              "  \"level\": 2,\n"
                              "  \"pusher\": [7, 5],\n"
                              "  \"board\": [\n"
                              "    \"##\",\n"
                              "    \"#@\"\n"
                              "  ],\n"
                              "  \"objects\": [[8, 5]]\n"
                              "}\n");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(-3), "-3");
    EXPECT_EQ(FormatNumber(1.0004), "1");
    EXPECT_EQ(FormatNumber(2.125), "2.125");
}
