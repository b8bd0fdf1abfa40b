#include "tools/play/Json.h"

#include <cmath>
#include <cstdio>

namespace play {

namespace {

void WriteString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

bool IsPlain(const JsonValue& v) {
    return v.Type() != JsonValue::Kind::Array && v.Type() != JsonValue::Kind::Object;
}

// Plain values and short arrays of them (cell positions) share a line.
bool FitsOnALine(const JsonValue& v) {
    if (IsPlain(v))
        return true;
    if (v.Type() != JsonValue::Kind::Array || v.Elements().size() > 2)
        return false;
    for (const JsonValue& e : v.Elements())
        if (!IsPlain(e))
            return false;
    return true;
}

} // namespace

std::string FormatNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    const double rounded = std::round(value * 1000.0) / 1000.0;
    if (rounded == std::trunc(rounded) && std::fabs(rounded) < 1e15) {
        char text[32];
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(rounded));
        return text;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", rounded);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    return s;
}

JsonValue JsonValue::Bool(bool value) {
    JsonValue v;
    v.FKind = Kind::Bool;
    v.FBool = value;
    return v;
}

JsonValue JsonValue::Number(double value) {
    JsonValue v;
    v.FKind = Kind::Number;
    v.FNumber = value;
    return v;
}

JsonValue JsonValue::String(std::string utf8) {
    JsonValue v;
    v.FKind = Kind::String;
    v.FString = std::move(utf8);
    return v;
}

JsonValue JsonValue::Array(std::vector<JsonValue> elements) {
    JsonValue v;
    v.FKind = Kind::Array;
    v.FElements = std::move(elements);
    return v;
}

JsonValue JsonValue::Object(Members members) {
    JsonValue v;
    v.FKind = Kind::Object;
    v.FMembers = std::move(members);
    return v;
}

JsonValue JsonValue::Pair(double x, double y) {
    return Array({Number(x), Number(y)});
}

void JsonValue::Set(const std::string& name, JsonValue value) {
    for (auto& [key, existing] : FMembers)
        if (key == name) {
            existing = std::move(value);
            return;
        }
    FMembers.emplace_back(name, std::move(value));
}

const JsonValue* JsonValue::Member(const std::string& name) const {
    for (const auto& [key, value] : FMembers)
        if (key == name)
            return &value;
    return nullptr;
}

const JsonValue* JsonValue::Element(size_t index) const {
    return index < FElements.size() ? &FElements[index] : nullptr;
}

std::string JsonValue::Compact() const {
    std::string out;
    switch (FKind) {
    case Kind::Null:
        return "null";
    case Kind::Bool:
        return FBool ? "true" : "false";
    case Kind::Number:
        return FormatNumber(FNumber);
    case Kind::String:
        WriteString(out, FString);
        return out;
    case Kind::Array:
        out += '[';
        for (size_t i = 0; i < FElements.size(); ++i) {
            if (i)
                out += ',';
            out += FElements[i].Compact();
        }
        out += ']';
        return out;
    case Kind::Object:
        out += '{';
        for (size_t i = 0; i < FMembers.size(); ++i) {
            if (i)
                out += ',';
            WriteString(out, FMembers[i].first);
            out += ':';
            out += FMembers[i].second.Compact();
        }
        out += '}';
        return out;
    }
    return out;
}

std::string JsonValue::Pretty() const {
    std::string out;
    WritePretty(out, 0);
    out += '\n';
    return out;
}

void JsonValue::WritePretty(std::string& out, int indent) const {
    const std::string inner(static_cast<size_t>(indent + 2), ' ');
    if (FKind == Kind::Object && !FMembers.empty()) {
        out += "{\n";
        for (size_t i = 0; i < FMembers.size(); ++i) {
            out += inner;
            WriteString(out, FMembers[i].first);
            out += ": ";
            FMembers[i].second.WritePretty(out, indent + 2);
            out += i + 1 < FMembers.size() ? ",\n" : "\n";
        }
        out += std::string(static_cast<size_t>(indent), ' ') + "}";
        return;
    }
    if (FKind == Kind::Array) {
        bool plain = true;
        for (const JsonValue& e : FElements)
            plain = plain && FitsOnALine(e) && e.Type() != Kind::String; // rows of text stack
        if (!plain) {
            out += "[\n";
            for (size_t i = 0; i < FElements.size(); ++i) {
                out += inner;
                FElements[i].WritePretty(out, indent + 2);
                out += i + 1 < FElements.size() ? ",\n" : "\n";
            }
            out += std::string(static_cast<size_t>(indent), ' ') + "]";
            return;
        }
        out += '[';
        for (size_t i = 0; i < FElements.size(); ++i) {
            if (i)
                out += ", ";
            FElements[i].WritePretty(out, indent);
        }
        out += ']';
        return;
    }
    out += Compact();
}

} // namespace play
