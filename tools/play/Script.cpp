#include "tools/play/Script.h"

#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

#include <sstream>

namespace play {

namespace {

constexpr int kMaxFrames = 1'000'000;
constexpr int kMaxCoordinate = 100'000;

int ParseInt(int line, const std::string& word, int low, int high, const char* what) {
    int32_t value = 0;
    if (!rtl::TryStrToInt(word, value) || value < low || value > high)
        throw ScriptError(line, std::string("bad ") + what + " \"" + word + "\"");
    return value;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

} // namespace

ScriptError::ScriptError(int line, const std::string& what)
    : std::runtime_error(what), Line(line) {}

std::vector<Command> ParseScript(const std::string& text) {
    std::vector<Command> commands;
    std::istringstream in(text);
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        const std::string line = rtl::Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = line.find_first_of(" \t");
        const std::string word = line.substr(0, space);
        // The rest as written (type keeps its spaces), and trimmed for everything else.
        const std::string verbatim = space == std::string::npos
                                         ? std::string()
                                         : raw.substr(raw.find(word) + word.size() + 1);
        const std::string rest = rtl::Trim(verbatim);
        const std::vector<std::string> args = Words(rest);

        Command c;
        c.Line = number;
        const auto need = [&](size_t count, const char* usage) {
            if (args.size() != count)
                throw ScriptError(number, std::string("usage: ") + usage);
        };
        if (word == "frames") {
            need(1, "frames N");
            c.Kind = Op::Frames;
            c.Count = ParseInt(number, args[0], 0, kMaxFrames, "frame count");
        } else if (word == "down" || word == "up" || word == "press") {
            if (rest.empty())
                throw ScriptError(number, "usage: " + word + " KEY");
            c.Kind = word == "down" ? Op::Down : word == "up" ? Op::Up : Op::Press;
            c.Text = rest;
        } else if (word == "move" || word == "click" || word == "rclick") {
            need(2, (word + " X Y").c_str());
            c.Kind = word == "move" ? Op::Move : word == "click" ? Op::Click : Op::RightClick;
            c.X = ParseInt(number, args[0], -kMaxCoordinate, kMaxCoordinate, "x");
            c.Y = ParseInt(number, args[1], -kMaxCoordinate, kMaxCoordinate, "y");
        } else if (word == "type") {
            if (verbatim.empty())
                throw ScriptError(number, "usage: type TEXT");
            c.Kind = Op::Type;
            c.Text = verbatim;
        } else if (word == "shot" || word == "state") {
            if (rest.empty())
                throw ScriptError(number, "usage: " + word + " FILE");
            c.Kind = word == "shot" ? Op::Shot : Op::State;
            c.Text = rest;
        } else if (word == "expect") {
            if (args.size() < 2)
                throw ScriptError(number, "usage: expect FIELD VALUE");
            c.Kind = Op::Expect;
            c.Text = args[0];
            c.Value = rtl::Trim(rest.substr(args[0].size()));
        } else if (word == "answer") {
            need(1, "answer yes|no|ok|cancel");
            if (args[0] != "yes" && args[0] != "no" && args[0] != "ok" && args[0] != "cancel")
                throw ScriptError(number, "usage: answer yes|no|ok|cancel");
            c.Kind = Op::Answer;
            c.Text = args[0];
        } else if (word == "remove") {
            need(1, "remove NAME");
            c.Kind = Op::Remove;
            c.Text = args[0];
        } else if (word == "rename") {
            need(2, "rename FROM TO");
            c.Kind = Op::Rename;
            c.Text = args[0];
            c.Value = args[1];
        } else if (word == "drop") {
            need(1, "drop NAME");
            c.Kind = Op::Drop;
            c.Text = args[0];
        } else {
            throw ScriptError(number, "unknown command \"" + word + "\"");
        }
        commands.push_back(c);
    }
    return commands;
}

} // namespace play
