#include "tools/play/GameProbe.h"

#include "game/CollectionFile.h"
#include "game/Unit1.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

namespace play {

namespace {

// The process's resident size, for soak runs that watch memory over many frames.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

const char* ScreenName(TScreenState state) {
    switch (state) {
    case ssMenu:
        return "menu";
    case ssGame:
        return "game";
    case ssLoad:
        return "load";
    case ssOptions:
        return "options";
    case ssCredits:
        return "credits";
    }
    return "unknown";
}

bool IsZone(const TLevelData& level, int32_t count, int column, int row) {
    for (int i = 0; i < count; ++i) {
        const TCellPos zone = level.Zones[i];
        if (zone.X == column && zone.Y == row)
            return true;
    }
    return false;
}

JsonValue Board(const TGameState& s) {
    // Field by field: the record is packed, so no reference into it is taken.
    const int32_t count = std::clamp<int32_t>(s.Level.BoxCount, 0, kMaxBoxes);
    JsonValue rows = JsonValue::Array();
    for (int r = 0; r < kBoardRows; ++r) {
        std::string row;
        for (int c = 0; c < kBoardColumns; ++c) {
            const int32_t code = s.Level.Cells[c][r];
            const bool zone = IsZone(s.Level, count, c, r);
            const bool pusher = s.HeroCellX == c && s.HeroCellY == r;
            char ch = '-';
            if (code == ccWall)
                ch = '#';
            else if (code == ccBox)
                ch = zone ? '*' : '$';
            else if (pusher)
                ch = zone ? '+' : '@';
            else if (zone)
                ch = '.';
            row += ch;
        }
        rows.Append(JsonValue::String(row));
    }
    return rows;
}

// The level box, while the level-selection screen shows it (a widget of another screen may be
// freed already, so it is looked up in the GUI's registry before it is touched).
const TArvexEdit* LevelEdit(const TForm1& form) {
    const TArvexEdit* edit = form.State.Load.LevelEdit;
    if (form.State.ScreenState != ssLoad || !edit)
        return nullptr;
    const auto& widgets = form.ArvexGUI1->Widgets;
    return std::find(widgets.begin(), widgets.end(), edit) != widgets.end() ? edit : nullptr;
}

// Which depth button the options screen shows selected: 32, 16, or 0 off that screen.
int DepthShown(const TForm1& form) {
    const TOptionsWidgets& o = form.State.Options;
    if (form.State.ScreenState != ssOptions || !o.Depth32 || !o.Depth16)
        return 0;
    if (o.Depth32->GetImage(0) == form.ArvexImageList1->Items(36))
        return 32;
    if (o.Depth16->GetImage(0) == form.ArvexImageList1->Items(9))
        return 16;
    return 0;
}

JsonValue FileText(const std::string& name) {
    const std::string path = rtl::ResolvePath(name);
    if (!rtl::FileExists(path))
        return JsonValue::String("missing");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return JsonValue::String(text.str());
}

JsonValue FileBytes(const std::string& name) {
    const std::string path = rtl::ResolvePath(name);
    if (!rtl::FileExists(path))
        return JsonValue::String("missing");
    std::ifstream in(path, std::ios::binary);
    JsonValue bytes = JsonValue::Array();
    for (auto it = std::istreambuf_iterator<char>(in); it != std::istreambuf_iterator<char>(); ++it)
        bytes.Append(JsonValue::Number(static_cast<unsigned char>(*it)));
    return bytes;
}

// "\n", "\r", "\t" and "\\" in a script's text stand for those characters.
std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

std::string WithoutSpaces(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

} // namespace

JsonValue CaptureState(TForm1& form, const ProbeFacts& facts) {
    const TGameState& s = form.State;
    JsonValue state = JsonValue::Object();
    state.Set("running", JsonValue::Bool(facts.Running));
    state.Set("frame", JsonValue::Number(static_cast<double>(facts.Frames)));
    state.Set("screen", JsonValue::String(ScreenName(s.ScreenState)));
    state.Set("dialog", JsonValue::Bool(s.DialogOpen));
    state.Set("level", JsonValue::Number(s.LevelNumber));
    state.Set("pusher", JsonValue::Pair(s.HeroCellX, s.HeroCellY));
    state.Set("angle", JsonValue::Number(s.HeroSprite ? s.HeroSprite->Angle : 0));

    const int32_t count = std::clamp<int32_t>(s.Level.BoxCount, 0, kMaxBoxes);
    JsonValue objects = JsonValue::Array(), zones = JsonValue::Array();
    JsonValue objectPixels = JsonValue::Array();
    for (int i = 0; i < count; ++i) {
        const TCellPos box = s.Level.Boxes[i];
        const TCellPos zone = s.Level.Zones[i];
        objects.Append(JsonValue::Pair(box.X, box.Y));
        zones.Append(JsonValue::Pair(zone.X, zone.Y));
        const TBox* sprite = s.BoxSprites[static_cast<size_t>(i)];
        objectPixels.Append(sprite ? JsonValue::Pair(sprite->X, sprite->Y) : JsonValue());
    }
    state.Set("objects", objects);
    state.Set("zones", zones);
    state.Set("board", Board(s));
    state.Set("pusherPixel",
              s.HeroSprite ? JsonValue::Pair(s.HeroSprite->X, s.HeroSprite->Y) : JsonValue());
    state.Set("objectPixels", objectPixels);

    state.Set("moving", JsonValue::Bool(s.Moving));
    state.Set("pushing", JsonValue::Bool(s.BoxMoving));
    state.Set("step", JsonValue::Number(s.StepCount));
    state.Set("won", JsonValue::Bool(s.Won));
    state.Set("undoIndex", JsonValue::Number(s.UndoIndex));
    state.Set("history", JsonValue::Number(static_cast<double>(s.UndoHistory.size())));
    const TCounts counts = CountMoves(s.MoveLog, s.UndoIndex);
    state.Set("moves", JsonValue::Number(counts.Moves));
    state.Set("pushes", JsonValue::Number(counts.Pushes));
    state.Set("levelKey", JsonValue::String(s.LevelKey));
    const TBoardRecords* best = s.Records.Find(s.LevelKey);
    state.Set("bestMoves",
              best && best->ByMoves ? JsonValue::Number(best->ByMoves->Moves) : JsonValue());
    state.Set("bestPushes",
              best && best->ByPushes ? JsonValue::Number(best->ByPushes->Pushes) : JsonValue());
    state.Set("moveLog", JsonValue::String(s.MoveLog));

    const TAssistState& a = s.Assist;
    state.Set("queued", JsonValue::String(a.Steps));
    state.Set("selected", a.Selected ? JsonValue::Pair(a.Object.X, a.Object.Y) : JsonValue());
    JsonValue targets = JsonValue::Array();
    for (const TCellPos& t : a.Targets)
        targets.Append(JsonValue::Pair(t.X, t.Y));
    state.Set("targets", targets);
    state.Set("hinting", JsonValue::Bool(a.Hint != nullptr));
    state.Set("note", JsonValue::String(a.Note));
    JsonValue lost = JsonValue::Array(), colours = JsonValue::Array();
    for (int i = 0; i < count; ++i) {
        lost.Append(JsonValue::Bool(a.Lost[static_cast<size_t>(i)]));
        const TBox* sprite = s.BoxSprites[static_cast<size_t>(i)];
        JsonValue rgb = JsonValue::Array();
        if (sprite)
            for (const int32_t c : {sprite->Red, sprite->Green, sprite->Blue})
                rgb.Append(JsonValue::Number(c));
        colours.Append(sprite ? rgb : JsonValue());
    }
    state.Set("lost", lost);
    state.Set("objectColours", colours);

    state.Set("music", JsonValue::Bool(s.MusicOn));
    TSongListCollection* songs = form.ArvexMusic1->Songs();
    state.Set("songPosition",
              JsonValue::Number(songs->Count() > 0 ? songs->Items(0)->Position() : 0.0));
    state.Set("fullscreen", JsonValue::Bool(form.ArvexScreen1->FullScreen));
    state.Set("antialias", JsonValue::Bool(form.ArvexScreen1->Antialias));
    state.Set("depth", JsonValue::Number(form.ArvexScreen1->bpp()));
    state.Set("depthShown", JsonValue::Number(DepthShown(form)));
    state.Set("residentKb", JsonValue::Number(static_cast<double>(ResidentKb())));
    const TArvexEdit* edit = LevelEdit(form);
    state.Set("levelText", edit ? JsonValue::String(rtl::Win1252ToUtf8(edit->Text)) : JsonValue());

    JsonValue progress = JsonValue::Array();
    for (const uint8_t mark : s.Progress)
        progress.Append(JsonValue::Number(mark));
    state.Set("progress", progress);

    // The collection being played: its name, size, page and marks (null without one).
    const TCollection* collection = s.Collection.get();
    state.Set("collection", collection ? JsonValue::String(collection->Name) : JsonValue());
    state.Set("collectionSize", JsonValue::Number(collection ? collection->Size() : 0));
    state.Set("page", JsonValue::Number(s.LoadPage + 1));
    JsonValue marks = JsonValue::Array();
    if (collection)
        for (const uint8_t mark : collection->Marks)
            marks.Append(JsonValue::Number(mark));
    state.Set("marks", marks);

    const auto& boxes = win::RecordedMessageBoxes();
    state.Set("messages", JsonValue::Number(static_cast<double>(boxes.size())));
    state.Set("message", JsonValue::String(boxes.empty() ? std::string()
                                                         : rtl::Win1252ToUtf8(boxes.back().Text)));
    return state;
}

bool ReadField(const JsonValue& state, const std::string& expression, JsonValue& value,
               std::string& why) {
    // name[i][j]...: the name runs to the first "[" that starts the indices at the end.
    size_t indices = expression.size();
    while (indices > 0 && expression[indices - 1] == ']') {
        const size_t open = expression.rfind('[', indices - 1);
        if (open == std::string::npos)
            break;
        const std::string digits = expression.substr(open + 1, indices - open - 2);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit))
            break;
        indices = open;
    }
    const std::string name = expression.substr(0, indices);
    if (name.rfind("text:", 0) == 0) {
        value = FileText(name.substr(5));
    } else if (name.rfind("bytes:", 0) == 0) {
        value = FileBytes(name.substr(6));
    } else if (const JsonValue* member = state.Member(name)) {
        value = *member;
    } else {
        why = "no field \"" + name + "\"";
        return false;
    }
    for (size_t at = indices; at < expression.size();) {
        const size_t close = expression.find(']', at);
        const size_t index = std::stoul(expression.substr(at + 1, close - at - 1));
        const JsonValue* element = value.Element(index);
        if (!element) {
            why = expression.substr(0, close + 1) + " is beyond " +
                  std::to_string(value.Elements().size()) + " elements";
            return false;
        }
        value = JsonValue(*element);
        at = close + 1;
    }
    return true;
}

bool Matches(const JsonValue& value, const std::string& wanted) {
    switch (value.Type()) {
    case JsonValue::Kind::String:
        return value.AsString() == (wanted == "\"\"" ? std::string() : Unescape(wanted));
    case JsonValue::Kind::Number: {
        char* end = nullptr;
        const double number = std::strtod(wanted.c_str(), &end);
        return end && *end == '\0' && !wanted.empty() &&
               std::fabs(number - value.AsNumber()) < 0.0005;
    }
    default:
        return value.Compact() == WithoutSpaces(wanted);
    }
}

std::string Describe(const JsonValue& value) {
    if (value.Type() != JsonValue::Kind::String)
        return value.Compact();
    // Line ends shown the way a script writes them.
    std::string out;
    for (const char c : value.AsString())
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return out.empty() ? "\"\"" : out;
}

} // namespace play
