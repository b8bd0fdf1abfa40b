#include "puzzle/Collection.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdlib>

namespace puzzle {

namespace {

// Rows wider than this are kept only as their width: the level is refused as too large anyway,
// and a run-length line must not unfold into megabytes.
constexpr size_t kMaxKeptRow = 64;
constexpr int kMaxRun = 9999;
constexpr int kTabStop = 8;

bool IsFloorChar(char c) {
    return c == ' ' || c == '-' || c == '_';
}

bool IsBoardChar(char c) {
    return c == '#' || c == '@' || c == '+' || c == '$' || c == '*' || c == '.' || IsFloorChar(c);
}

// Cells inside the drawing's walls, seen from the pusher; the drawing's own coordinates, cells
// past a row's end being floor.
std::vector<std::vector<bool>> DrawnInside(const std::vector<std::string>& rows, int hx, int hy,
                                           int width) {
    const int height = static_cast<int>(rows.size());
    std::vector<std::vector<bool>> inside(height, std::vector<bool>(width, false));
    std::vector<std::pair<int, int>> todo{{hx, hy}};
    inside[hy][hx] = true;
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= width || ny >= height || inside[ny][nx])
                continue;
            const char c = nx < static_cast<int>(rows[ny].size()) ? rows[ny][nx] : ' ';
            if (c == '#')
                continue;
            inside[ny][nx] = true;
            todo.emplace_back(nx, ny);
        }
    }
    return inside;
}

int DrawnWidth(const std::vector<std::string>& rows) {
    size_t width = 0;
    for (const std::string& row : rows)
        width = std::max(width, row.size());
    return static_cast<int>(width);
}

// One line unfolded into board rows; false when it is text. Tabs advance to the next column of
// 8, "4#" repeats, '|' ends a row.
bool UnfoldRow(std::string_view line, std::vector<std::string>& rows, bool& drawsSomething,
               size_t& widest) {
    rows.assign(1, std::string());
    size_t column = 0;
    drawsSomething = false;
    widest = 0;
    int run = 0;
    bool inRun = false;
    auto put = [&](char c, size_t count) {
        std::string& row = rows.back();
        if (row.size() < kMaxKeptRow)
            row.append(std::min(count, kMaxKeptRow - row.size()), c);
        column += count;
    };
    for (const char c : line) {
        if (c >= '0' && c <= '9') {
            run = run * 10 + (c - '0');
            inRun = true;
            if (run > kMaxRun)
                return false;
            continue;
        }
        if (c == '|') {
            if (inRun)
                return false;
            widest = std::max(widest, column);
            rows.emplace_back();
            column = 0;
            continue;
        }
        if (c == '\t') {
            if (inRun)
                return false;
            put(' ', kTabStop - column % kTabStop);
            continue;
        }
        if (!IsBoardChar(c))
            return false;
        if (inRun && run == 0)
            return false;
        drawsSomething |= !IsFloorChar(c);
        put(c, inRun ? static_cast<size_t>(run) : 1);
        run = 0;
        inRun = false;
    }
    if (inRun)
        return false;
    widest = std::max(widest, column);
    for (std::string& row : rows)
        while (!row.empty() && IsFloorChar(row.back()))
            row.pop_back();
    return true;
}

bool IsKeyValue(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 20)
        return false;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isalpha(static_cast<unsigned char>(text[i])) && text[i] != ' ')
            return false;
    return true;
}

std::string Trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(start, end - start + 1));
}

// A level as read, before it is checked.
struct Drawn {
    int Line = 0;
    std::vector<std::string> Rows;
    size_t Widest = 0; // the true width, past what the rows keep
    std::vector<std::string> Header, Trailer;
};

std::string TitleOf(const Drawn& d) {
    for (const auto* lines : {&d.Trailer, &d.Header})
        for (const std::string& l : *lines)
            if (l.size() >= 6 && std::equal(l.begin(), l.begin() + 6, "title:", [](char a, char b) {
                    return std::tolower(a) == b;
                }))
                return Trimmed(std::string_view(l).substr(6));
    for (const auto* lines : {&d.Header, &d.Trailer})
        for (const std::string& l : *lines)
            if (l[0] == ';')
                return Trimmed(std::string_view(l).substr(1));
    for (const std::string& l : d.Header)
        if (!IsKeyValue(l))
            return l;
    return {};
}

// Leading and trailing rows of floor alone (a separator line of '-', say) and the columns of
// floor every row starts with are no part of the level.
void Crop(Drawn& d) {
    auto empty = [](const std::string& row) { return row.empty(); };
    while (!d.Rows.empty() && empty(d.Rows.back()))
        d.Rows.pop_back();
    const auto first = std::find_if_not(d.Rows.begin(), d.Rows.end(), empty);
    d.Line += static_cast<int>(first - d.Rows.begin());
    d.Rows.erase(d.Rows.begin(), first);
    size_t indent = std::string::npos;
    for (const std::string& row : d.Rows) {
        size_t n = 0;
        while (n < row.size() && IsFloorChar(row[n]))
            ++n;
        if (n < row.size())
            indent = std::min(indent, n);
    }
    if (indent == std::string::npos || indent == 0)
        return;
    for (std::string& row : d.Rows)
        row.erase(0, std::min(indent, row.size()));
    d.Widest -= std::min(indent, d.Widest);
}

std::string AtRow(int row) {
    return " at row " + std::to_string(row + 1);
}

// What keeps the game from playing a drawing the notation itself accepts.
std::string PlayProblem(const Drawn& d, const Placement& p) {
    const Level& l = p.Board;
    const size_t boxes = l.Boxes.size(), zones = l.Zones.size();
    if (boxes == 0)
        return "no objects";
    if (boxes > kMaxBoxes)
        return std::to_string(boxes) + " objects: at most " + std::to_string(kMaxBoxes);
    if (boxes != zones)
        return std::to_string(boxes) + (boxes == 1 ? " object but " : " objects but ") +
               std::to_string(zones) + (zones == 1 ? " zone" : " zones");

    const int width = DrawnWidth(d.Rows), height = static_cast<int>(d.Rows.size());
    const auto inside = DrawnInside(d.Rows, l.Hero.X - p.OffsetX, l.Hero.Y - p.OffsetY, width);
    // Cells past a row's end are floor, so a row left open at its end reaches the right edge.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (inside[y][x] && (x == 0 || y == 0 || x == width - 1 || y == height - 1))
                return "not closed" + AtRow(y);
    for (const auto* cells : {&l.Boxes, &l.Zones})
        for (const Cell& c : *cells)
            if (!inside[c.Y - p.OffsetY][c.X - p.OffsetX])
                return std::string(cells == &l.Boxes ? "an object" : "a zone") +
                       " out of the pusher's reach" + AtRow(c.Y - p.OffsetY);
    const auto reach = l.Inside();
    for (int x = kBarLeft; x < kBoardColumns; ++x)
        for (int y = kBarTop; y < kBoardRows; ++y)
            if (reach[x][y])
                return "it does not fit beside the button bar";
    return {};
}

CollectionLevel Check(Drawn& d) {
    Crop(d);
    CollectionLevel level;
    level.Line = d.Line;
    level.Title = TitleOf(d);
    const int height = static_cast<int>(d.Rows.size());
    if (d.Widest > static_cast<size_t>(kBoardColumns) || height > kBoardRows) {
        level.Problem =
            std::to_string(d.Widest) + " x " + std::to_string(height) + " is larger than the board";
        return level;
    }
    Placement p = PlaceDrawing(d.Rows);
    level.Problem = p.Problem.empty() ? PlayProblem(d, p) : p.Problem;
    if (level.Problem.empty()) {
        level.Board = std::move(p.Board);
        level.Board.Title = level.Title;
    }
    return level;
}

} // namespace

size_t Collection::PlayableCount() const {
    return static_cast<size_t>(std::count_if(
        Levels.begin(), Levels.end(), [](const CollectionLevel& l) { return l.Playable(); }));
}

Placement PlaceDrawing(const std::vector<std::string>& rows) {
    Placement p;
    const int height = static_cast<int>(rows.size());
    const int width = DrawnWidth(rows);
    if (width > kBoardColumns || height > kBoardRows) {
        p.Problem =
            std::to_string(width) + " x " + std::to_string(height) + " is larger than the board";
        return p;
    }
    int hx = -1, hy = -1, pushers = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            const char c = rows[y][x];
            if (c != '@' && c != '+')
                continue;
            if (++pushers == 2)
                p.ProblemRow = y;
            hx = x;
            hy = y;
        }
    }
    if (pushers != 1) {
        p.Problem = pushers == 0 ? "no pusher" : std::to_string(pushers) + " pushers: one at most";
        return p;
    }

    // Centre the drawing; if its inside would reach under the button bar, take the nearest
    // offset that keeps it clear. When none does, keep the centre and let the check say so.
    const auto inside = DrawnInside(rows, hx, hy, width);
    auto clear = [&](int ox, int oy) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (inside[y][x] && x + ox >= kBarLeft && y + oy >= kBarTop)
                    return false;
        return true;
    };
    const int cx = (kBoardColumns - width) / 2, cy = (kBoardRows - height) / 2;
    int ox = cx, oy = cy, best = -1;
    for (int y = 0; y <= kBoardRows - height; ++y) {
        for (int x = 0; x <= kBoardColumns - width; ++x) {
            const int cost = std::abs(x - cx) + std::abs(y - cy);
            if ((best < 0 || cost < best) && clear(x, y)) {
                best = cost;
                ox = x;
                oy = y;
            }
        }
    }
    p.OffsetX = ox;
    p.OffsetY = oy;

    // Column-major scan, the order of the level file's cells, so objects and zones get stable
    // numbers.
    Level& level = p.Board;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const char c = x < static_cast<int>(rows[y].size()) ? rows[y][x] : ' ';
            const Cell cell{x + ox, y + oy};
            if (c == '#')
                level.Walls[cell.X][cell.Y] = true;
            if (c == '$' || c == '*')
                level.Boxes.push_back(cell);
            if (c == '.' || c == '*' || c == '+')
                level.Zones.push_back(cell);
            if (c == '@' || c == '+')
                level.Hero = cell;
        }
    }
    return p;
}

Collection ReadCollection(std::string_view text) {
    if (text.size() > kMaxCollectionBytes)
        throw CollectionError("it is larger than a collection can be (" +
                              std::to_string(kMaxCollectionBytes >> 20) + " MB at most)");
    Collection collection;
    std::vector<Drawn> drawn;
    bool inBoard = false;
    // Text since the last board, and where its first blank line fell in it.
    std::vector<std::string> run;
    size_t blankAt = std::string::npos;

    // Shares the text since the last board between it (up to the first blank line) and the
    // board that follows, if one does.
    auto shareRun = [&](bool boardFollows) {
        size_t split = blankAt;
        if (split == std::string::npos) {
            split = drawn.empty() ? 0 : boardFollows ? 0 : run.size();
            while (boardFollows && !drawn.empty() && split < run.size() && IsKeyValue(run[split]))
                ++split;
        }
        const auto middle = run.begin() + static_cast<std::ptrdiff_t>(std::min(split, run.size()));
        if (!drawn.empty())
            drawn.back().Trailer.insert(drawn.back().Trailer.end(), run.begin(), middle);
        std::vector<std::string> header;
        if (boardFollows)
            header.assign(middle, run.end());
        run.clear();
        blankAt = std::string::npos;
        return header;
    };

    std::vector<std::string> unfolded;
    size_t lineStart = 0;
    int lineNumber = 0;
    while (lineStart < text.size()) {
        size_t end = text.find('\n', lineStart);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(lineStart, end - lineStart);
        lineStart = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxLineLength)
            throw CollectionError("line " + std::to_string(lineNumber) + " is longer than " +
                                  std::to_string(kMaxLineLength) + " characters");
        if (line.find('\0') != std::string_view::npos)
            throw CollectionError("line " + std::to_string(lineNumber) +
                                  " holds a NUL byte: this is no text file");

        const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
        bool drawsSomething = false;
        size_t widest = 0;
        const bool board = !blank && UnfoldRow(line, unfolded, drawsSomething, widest) &&
                           (drawsSomething || inBoard);
        if (board) {
            if (!inBoard) {
                if (drawn.size() == kMaxCollectionLevels)
                    throw CollectionError("line " + std::to_string(lineNumber) + ": more than " +
                                          std::to_string(kMaxCollectionLevels) + " levels");
                std::vector<std::string> header = shareRun(true);
                drawn.emplace_back();
                drawn.back().Line = lineNumber;
                drawn.back().Header = std::move(header);
                inBoard = true;
            }
            Drawn& d = drawn.back();
            d.Widest = std::max(d.Widest, widest);
            for (std::string& row : unfolded)
                d.Rows.push_back(std::move(row));
            continue;
        }
        inBoard = false;
        if (blank) {
            if (blankAt == std::string::npos)
                blankAt = run.size();
            continue;
        }
        run.push_back(Trimmed(line));
    }
    shareRun(false);
    collection.Levels.reserve(drawn.size());
    for (Drawn& d : drawn)
        collection.Levels.push_back(Check(d));
    return collection;
}

} // namespace puzzle
