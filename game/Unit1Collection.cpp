// Level collections in the common notation: opening one (command line, Config.ini, a dropped
// file), the record of its levels, its pages on the level selection and its progress file.
#include "game/CollectionFile.h"
#include "game/ScreenLayout.h"
#include "game/Unit1.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

namespace {

constexpr const char* kCollectionKey = "Collection";

// Where the page line and the hint stand: right of the painted title, and over the painted
// help line of the bottom bar, which names the game's own 50 levels.
constexpr layout::Point kPageLine = {330, 36};
constexpr layout::Point kHelpLine = {560, 737};
constexpr int kHelpWidth = 420;
// The painted "Level N" labels end here in each column; a collection's are drawn over them.
constexpr int kLabelRight[2] = {124, 565};
constexpr int kLabelWidth = 96;

// The longest text the font draws on the page line.
std::string Fitted(const std::string& text, size_t characters) {
    if (text.size() <= characters)
        return text;
    return text.substr(0, characters - 3) + "...";
}

} // namespace

int32_t TForm1::LevelCount() const {
    return State.Collection ? State.Collection->Size() : kListedLevels;
}

bool TForm1::LevelCompleted(int32_t number) const {
    if (number < 1 || number > LevelCount())
        return false;
    if (State.Collection)
        return State.Collection->Marks[static_cast<size_t>(number - 1)] != 0;
    return State.Progress[static_cast<size_t>(number - 1)] != 0;
}

void TForm1::OpenStartCollection() {
    const std::string asked = StartCollection;
    if (asked == kOwnLevels) {
        CloseCollection();
        return;
    }
    std::string path = asked;
    if (path.empty()) {
        try {
            path = State.ConfigIni->ReadString("Options", kCollectionKey, "");
        } catch (const rtl::Exception&) {
            path.clear(); // an unreadable Config.ini was reported already
        }
    }
    if (!path.empty())
        OpenCollection(path);
}

bool TForm1::OpenCollection(const std::string& path) {
    std::unique_ptr<TCollection> opened;
    try {
        opened = std::make_unique<TCollection>(ReadCollectionFile(path));
        if (opened->NextPlayable(0) == 0)
            throw rtl::Exception(NothingPlayable(*opened));
    } catch (const rtl::Exception& e) {
        win::MessageBox(this,
                        std::string(e.what()) + "\nThe game goes on with " +
                            (State.Collection ? "the collection \"" + State.Collection->Name + "\""
                                              : std::string("its own levels")) +
                            ".",
                        "Kosmorra", win::MB_OK | win::MB_ICONWARNING);
        return false;
    }
    State.Collection = std::move(opened);
    State.LoadPage = 0;
    ReadCollectionProgress();
    WriteCollectionSetting();
    return true;
}

void TForm1::CloseCollection() {
    const bool was = State.Collection != nullptr;
    State.Collection.reset();
    State.LoadPage = 0;
    if (was || StartCollection == kOwnLevels)
        WriteCollectionSetting();
}

void TForm1::WriteCollectionSetting() {
    try {
        State.ConfigIni->WriteString("Options", kCollectionKey,
                                     State.Collection ? State.Collection->Path : "");
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
    }
}

void TForm1::DropFile(const std::string& path) {
    const TFramePause pause(ArvexTimer1);
    if (!OpenCollection(path))
        return;
    ClearAll();
    CreateLoadGui();
    State.ScreenState = ssLoad;
}

void TForm1::ReadCollectionLevel(int32_t number) {
    const TCollection& c = *State.Collection;
    if (number < 1 || number > c.Size())
        throw rtl::Exception("The collection \"" + c.Name + "\" has no level " +
                             std::to_string(number) + ".");
    const puzzle::CollectionLevel& level = c.Levels.Levels[static_cast<size_t>(number - 1)];
    if (!level.Playable())
        throw rtl::Exception("Level " + std::to_string(number) + " of \"" + c.Name + "\" (line " +
                             std::to_string(level.Line) + ") cannot be played: " + level.Problem +
                             ".");
    State.Level = LevelRecord(level.Board);
}

int32_t TForm1::FirstLevel() const {
    return State.Collection ? State.Collection->NextPlayable(0) : 1;
}

void TForm1::StartTypedCollectionLevel(const std::string& typed) {
    int32_t number = 0;
    if (!rtl::TryStrToInt(typed, number) || number < 1 || number > State.Collection->Size())
        return; // as for the game's own levels: a number that names no level starts nothing
    const puzzle::CollectionLevel& level =
        State.Collection->Levels.Levels[static_cast<size_t>(number - 1)];
    if (!level.Playable()) {
        win::MessageBox(this,
                        "Level " + std::to_string(number) + " cannot be played: " + level.Problem +
                            " (line " + std::to_string(level.Line) + ").",
                        "Kosmorra", win::MB_OK | win::MB_ICONINFORMATION);
        return;
    }
    ClearAll();
    StartLevel(number);
}

void TForm1::ChangePage(int32_t delta) {
    if (!State.Collection)
        return;
    const int32_t pages = (State.Collection->Size() + kListedLevels - 1) / kListedLevels;
    State.LoadPage = std::clamp(State.LoadPage + delta, 0, std::max(pages - 1, 0));
    FindListedKeys();
}

// ---- The progress file of a collection ----------------------------------------------------

void TForm1::ReadCollectionProgress() {
    TCollection& c = *State.Collection;
    const std::string file = rtl::ResolvePath(CollectionProgressFile(c.Key));
    try {
        if (!rtl::FileExists(file) && !rtl::DirectoryExists(file)) {
            c.Marks.assign(static_cast<size_t>(c.Size()), 0);
            return; // made at the first win, so that opening a file to look leaves nothing
        }
        rtl::TFileStream stream(file, rtl::fmOpenRead);
        c.Marks = ReadMarks(stream, static_cast<size_t>(c.Size()));
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
    }
}

bool TForm1::RecordCollectionWin(int32_t level) {
    TCollection& c = *State.Collection;
    const size_t size = static_cast<size_t>(c.Size());
    try {
        rtl::UpdateFileAtomic(rtl::ResolvePath(CollectionProgressFile(c.Key)), size,
                              [&](std::vector<uint8_t>& bytes) {
                                  rtl::TMemoryStream held;
                                  held.WriteBuffer(bytes.data(),
                                                   static_cast<int64_t>(bytes.size()));
                                  held.SetPosition(0);
                                  std::vector<uint8_t> marks = ReadMarks(held, size);
                                  if (level >= 1 && static_cast<size_t>(level) <= size)
                                      marks[static_cast<size_t>(level - 1)] = 1;
                                  bytes = marks;
                                  c.Marks = std::move(marks);
                              });
        return true;
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
        return false;
    }
}

// ---- The level selection's pages --------------------------------------------------------------

void TForm1::DrawCollectionPage() {
    const TCollection& c = *State.Collection;
    const int32_t pages = (c.Size() + kListedLevels - 1) / kListedLevels;
    const int32_t first = State.LoadPage * kListedLevels + 1;
    // Painted over with the game screen's background darkened: an opaque picture, so that one
    // stretched quad covers a whole column with no faded edge.
    TImageListItem* cover = Picture(rGameScreen);
    const auto colour = [this](layout::Rgb rgb) {
        ArvexBitmapFont1->SetRed(rgb.R);
        ArvexBitmapFont1->SetGreen(rgb.G);
        ArvexBitmapFont1->SetBlue(rgb.B);
    };
    for (int k = 0; k < kListedLevels; ++k) {
        const int32_t n = first + k;
        const int column = k / layout::kLevelsPerColumn;
        const int row = k % layout::kLevelsPerColumn;
        const int top = layout::kFirstRowTop + layout::kRowPitch * row;
        // The background paints "Level 1" to "Level 50"; other pages cover them, one quad a
        // column, with their own numbers.
        if (State.LoadPage > 0) {
            if (row == 0)
                cover->DrawColored(
                    kLabelRight[column] - kLabelWidth, top, 0, 0, 0,
                    static_cast<float>(kLabelWidth) /
                        static_cast<float>(std::max(cover->PictureWidth, 1)),
                    static_cast<float>(layout::kRowPitch * layout::kLevelsPerColumn - 1) /
                        static_cast<float>(std::max(cover->PictureHeight, 1)),
                    0xFF0C1424, false, false, 0, 0);
            if (n <= c.Size()) {
                // The number alone: each glyph is a quad of the frame, and the word would double
                // the page's text.
                const std::string label = std::to_string(n);
                colour(layout::kCompletedColour);
                ArvexBitmapFont1->TextOut(kLabelRight[column] - ArvexBitmapFont1->TextWidth(label),
                                          top, label, 0);
            }
        }
        if (n > c.Size())
            continue;
        const puzzle::CollectionLevel& level = c.Levels.Levels[static_cast<size_t>(n - 1)];
        const bool completed = c.Marks[static_cast<size_t>(n - 1)] != 0;
        colour(completed ? layout::kCompletedColour : layout::kIncompletedColour);
        const char* status = !level.Playable() ? "Not playable"
                             : completed       ? "Completed"
                                               : "Incompleted";
        ArvexBitmapFont1->TextOut(layout::kStatusLeft[column], top, status, 0);
        if (completed && level.Playable())
            DrawListedBest(k + 1,
                           layout::kStatusLeft[column] + ArvexBitmapFont1->TextWidth(status) +
                               layout::kListedBestGap,
                           top);
    }
    colour(layout::kCompletedColour);
    ArvexBitmapFont1->TextOut(kPageLine.X, kPageLine.Y,
                              Fitted(c.Name, 32) + "  page " + std::to_string(State.LoadPage + 1) +
                                  " of " + std::to_string(pages),
                              0);
    cover->DrawColored(kHelpLine.X, kHelpLine.Y - 26, 0, 0, 0,
                       static_cast<float>(kHelpWidth) /
                           static_cast<float>(std::max(cover->PictureWidth, 1)),
                       48.0f / static_cast<float>(std::max(cover->PictureHeight, 1)), 0xFF0C1424,
                       false, false, 0, 0);
    ArvexBitmapFont1->TextOut(kHelpLine.X, kHelpLine.Y - 22,
                              "Levels 1 to " + std::to_string(c.Size()) + ": type one, Load.", 0);
    ArvexBitmapFont1->TextOut(kHelpLine.X, kHelpLine.Y, "PgUp PgDn: pages  Home: own levels", 0);
}
