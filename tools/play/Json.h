// A small JSON value for the scripted player's state dumps: built in code, written out compact
// (for comparisons) or indented (for files). No reader: scripts compare against the written
// text.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace play {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    using Members = std::vector<std::pair<std::string, JsonValue>>;

    JsonValue() = default;
    static JsonValue Bool(bool value);
    static JsonValue Number(double value);
    static JsonValue String(std::string utf8);
    static JsonValue Array(std::vector<JsonValue> elements = {});
    static JsonValue Object(Members members = {});
    // [x, y], the shape of every cell and pixel position in the dumps.
    static JsonValue Pair(double x, double y);

    Kind Type() const { return FKind; }
    bool AsBool() const { return FBool; }
    double AsNumber() const { return FNumber; }
    const std::string& AsString() const { return FString; }
    const std::vector<JsonValue>& Elements() const { return FElements; }
    const Members& ObjectMembers() const { return FMembers; }

    void Append(JsonValue element) { FElements.push_back(std::move(element)); }
    void Set(const std::string& name, JsonValue value);
    // nullptr when there is no such member or element.
    const JsonValue* Member(const std::string& name) const;
    const JsonValue* Element(size_t index) const;

    // No spaces at all: the form `expect` values are compared with.
    std::string Compact() const;
    // Objects one member per line; arrays of plain values stay on one line.
    std::string Pretty() const;

private:
    void WritePretty(std::string& out, int indent) const;

    Kind FKind = Kind::Null;
    bool FBool = false;
    double FNumber = 0;
    std::string FString;
    std::vector<JsonValue> FElements;
    Members FMembers;
};

// Numbers as the dumps write them: integers without a fraction, others with at most three
// decimals and no trailing zeros.
std::string FormatNumber(double value);

} // namespace play
