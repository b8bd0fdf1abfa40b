#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace rtl;

namespace {

using Bytes = std::vector<uint8_t>;

// Made at its full length and filled: g++ 12 at -O2 takes an insert after a one-byte start for
// an overflow of that byte.
Bytes Str(const std::string& s) {
    Bytes b(1 + s.size());
    b[0] = static_cast<uint8_t>(s.size());
    std::copy(s.begin(), s.end(), b.begin() + 1);
    return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Reads integer, string and boolean properties into a map; knows "List" as a collection of
// such property sets.
class Recorder : public TStreamable {
public:
    void ReadProperty(const std::string& name, TReader& reader) override {
        if (name == "List") {
            reader.ReadCollection([&] {
                Items.emplace_back();
                Recorder item;
                reader.ReadProperties(item);
                Items.back() = item.Values;
            });
        } else if (name.rfind("Int", 0) == 0) {
            Values[name] = std::to_string(reader.ReadInteger());
        } else if (name.rfind("Str", 0) == 0) {
            Values[name] = reader.ReadString();
        } else if (name.rfind("Bool", 0) == 0) {
            Values[name] = reader.ReadBoolean() ? "true" : "false";
        } else {
            RaiseReadError("unknown property " + name);
        }
    }
    std::map<std::string, std::string> Values;
    std::vector<std::map<std::string, std::string>> Items;
};

Bytes Root(const Bytes& properties) {
    return Cat({{'T', 'P', 'F', '0'}, Str("AnyClass"), Str(""), properties, {0}, {0}});
}

} // namespace

TEST(ComponentStream, IntegersAndStringsInEveryEncoding) {
    const Bytes props = Cat({Str("Int8"),
                             {0x02, 0x40},
                             Str("Int16"),
                             {0x03, 0xC8, 0x00},
                             Str("Int32"),
                             {0x04, 0x00, 0x04, 0x00, 0x00},
                             Str("IntNeg"),
                             {0x02, 0xFF},
                             Str("StrShort"),
                             {0x06},
                             Str("abc"),
                             Str("StrLong"),
                             {0x0C, 2, 0, 0, 0, 'h', 'i'},
                             Str("StrWide"),
                             {0x12, 2, 0, 0, 0, 0xE9, 0x00, 'x', 0x00},
                             Str("StrUtf8"),
                             {0x14, 2, 0, 0, 0, 0xC3, 0xA9},
                             Str("BoolT"),
                             {0x09}});
    Recorder root;
    TReader(Root(props)).ReadRootComponent(root);
    EXPECT_EQ(root.Values["Int8"], "64");
    EXPECT_EQ(root.Values["Int16"], "200");
    EXPECT_EQ(root.Values["Int32"], "1024");
    EXPECT_EQ(root.Values["IntNeg"], "-1");
    EXPECT_EQ(root.Values["StrShort"], "abc");
    EXPECT_EQ(root.Values["StrLong"], "hi");
    EXPECT_EQ(root.Values["StrWide"], "\xE9x");
    EXPECT_EQ(root.Values["StrUtf8"], "\xE9");
    EXPECT_EQ(root.Values["BoolT"], "true");
}

TEST(ComponentStream, CollectionItemsWithAndWithoutOrderValues) {
    const Bytes props = Cat({Str("List"),
                             {0x0E},
                             {0x01},
                             Str("Int"),
                             {0x02, 1},
                             {0x00},
                             {0x02, 7},
                             {0x01},
                             Str("Int"),
                             {0x02, 2},
                             {0x00},
                             {0x00}});
    Recorder root;
    TReader(Root(props)).ReadRootComponent(root);
    ASSERT_EQ(root.Items.size(), 2u);
    EXPECT_EQ(root.Items[1]["Int"], "2");
}

TEST(ComponentStream, WrongTypesUnknownNamesAndChildrenAreReadErrors) {
    Recorder root;
    EXPECT_THROW(TReader(Root(Cat({Str("Int"), {0x06}, Str("x")}))).ReadRootComponent(root),
                 EReadError);
    EXPECT_THROW(TReader(Root(Cat({Str("Mystery"), {0x02, 1}}))).ReadRootComponent(root),
                 EReadError);
    EXPECT_THROW(TReader(Root(Cat({Str("Int"), {0x15}}))).ReadRootComponent(root), EReadError);
    Bytes child =
        Cat({{'T', 'P', 'F', '0'}, Str("A"), Str(""), {0}, Str("TChild"), Str("c"), {0}, {0}, {0}});
    EXPECT_THROW(TReader(child).ReadRootComponent(root), EReadError);
    EXPECT_THROW(TReader(Bytes{'T', 'P', 'F', '1', 0, 0, 0, 0}).ReadRootComponent(root),
                 EReadError);
}

TEST(ComponentStream, EveryTruncationIsACleanReadError) {
    const Bytes full = Root(Cat({Str("List"),
                                 {0x0E},
                                 {0x01},
                                 Str("StrLong"),
                                 {0x0C, 3, 0, 0, 0, 'a', 'b', 'c'},
                                 {0x00},
                                 {0x00}}));
    for (size_t n = 0; n < full.size(); ++n) {
        Recorder root;
        EXPECT_THROW(TReader(Bytes(full.begin(), full.begin() + static_cast<long>(n)))
                         .ReadRootComponent(root),
                     EReadError)
            << "cut at " << n;
    }
    Recorder root;
    EXPECT_NO_THROW(TReader(full).ReadRootComponent(root));
}

TEST(ComponentStream, HugeLengthsFailBeforeAnyAllocation) {
    Recorder root;
    EXPECT_THROW(TReader(Root(Cat({Str("StrLong"), {0x0C, 0xFF, 0xFF, 0xFF, 0xFF}})))
                     .ReadRootComponent(root),
                 EReadError);
    EXPECT_THROW(TReader(Root(Cat({Str("StrWide"), {0x12, 0xFF, 0xFF, 0xFF, 0x7F}})))
                     .ReadRootComponent(root),
                 EReadError);
}

TEST(ComponentStream, DeepNestingIsBounded) {
    // A list nested a thousand deep, skipped as a value: must stop with an error, not recurse
    // until the stack runs out.
    Bytes nested(1000, 0x01);
    nested.insert(nested.end(), 1000, 0x00);
    TReader reader(nested);
    EXPECT_THROW(reader.SkipValue(), EReadError);

    Bytes shallow = {0x01, 0x01, 0x02, 5, 0x00, 0x00};
    TReader ok(shallow);
    EXPECT_NO_THROW(ok.SkipValue());
    EXPECT_EQ(ok.Remaining(), 0u);
}

TEST(ComponentStream, FloatsAndOtherValuesSkipCleanly) {
    // 1.5 as an 80-bit extended: mantissa 0xC000000000000000, exponent 16383.
    Bytes ext = {0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F};
    EXPECT_DOUBLE_EQ(TReader(ext).ReadFloat(), 1.5);
    Bytes values = {0x0B, 1, 'a', 0, 0x0D, 0x0A, 2, 0, 0, 0, 9, 9, 0x13, 1, 0, 0, 0, 0, 0, 0, 0};
    TReader reader(values);
    reader.SkipValue();
    reader.SkipValue();
    reader.SkipValue();
    EXPECT_EQ(reader.ReadInt64(), 1);
    EXPECT_EQ(reader.Remaining(), 0u);
}
