#include "puzzle/Notation.h"

#include "puzzle/Collection.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace puzzle {

namespace {

// One level block as drawn, before it is put on the board.
struct Drawing {
    int Number = 0;    // 1-based position in the text
    int FirstLine = 0; // 1-based line of the block's first line
    std::vector<std::string> Rows;
    std::vector<std::string> Comments;
};

[[noreturn]] void Fail(const Drawing& d, int line, const std::string& what) {
    std::ostringstream s;
    s << "level " << d.Number << " (line " << line << "): " << what;
    throw TextError(s.str());
}

bool IsFloorChar(char c) {
    return c == ' ' || c == '-' || c == '_';
}

Level Place(const Drawing& d) {
    for (size_t y = 0; y < d.Rows.size(); ++y)
        for (const char c : d.Rows[y])
            if (c != '#' && c != '@' && c != '+' && c != '$' && c != '*' && c != '.' &&
                !IsFloorChar(c))
                Fail(d, d.FirstLine + static_cast<int>(y),
                     std::string("unknown character '") + c + "'");
    Placement p = PlaceDrawing(d.Rows);
    if (!p.Problem.empty())
        Fail(d, d.FirstLine + std::max(p.ProblemRow, 0), p.Problem);
    Level& level = p.Board;
    if (!d.Comments.empty()) {
        level.Title = d.Comments.front();
        level.Notes.assign(d.Comments.begin() + 1, d.Comments.end());
    }
    return std::move(level);
}

std::string StripComment(const std::string& line) {
    std::string text = line.substr(1);
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

} // namespace

std::vector<Level> ParseLevels(const std::string& text) {
    std::vector<Level> levels;
    Drawing block;
    auto finish = [&] {
        // A block of comments alone (a file header, say) is not a level.
        if (!block.Rows.empty()) {
            block.Number = static_cast<int>(levels.size()) + 1;
            levels.push_back(Place(block));
        }
        block = Drawing{};
    };
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (blank) {
            finish();
            continue;
        }
        if (block.Rows.empty() && block.Comments.empty())
            block.FirstLine = lineNumber;
        if (line[0] == ';') {
            block.Comments.push_back(StripComment(line));
            continue;
        }
        while (!line.empty() && IsFloorChar(line.back()))
            line.pop_back();
        block.Rows.push_back(line);
    }
    finish();
    return levels;
}

std::string FormatLevel(const Level& level) {
    // Crop to everything drawn: walls, objects, zones and the pusher.
    int left = kBoardColumns, right = -1, top = kBoardRows, bottom = -1;
    auto include = [&](int x, int y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    };
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (level.Walls[x][y])
                include(x, y);
    for (const Cell& c : level.Boxes)
        include(c.X, c.Y);
    for (const Cell& c : level.Zones)
        include(c.X, c.Y);
    include(level.Hero.X, level.Hero.Y);

    std::string out;
    if (!level.Title.empty() || !level.Notes.empty())
        out += "; " + level.Title + "\n";
    for (const std::string& note : level.Notes)
        out += "; " + note + "\n";
    for (int y = top; y <= bottom; ++y) {
        std::string row;
        for (int x = left; x <= right; ++x) {
            const bool box = level.HasBox(x, y), zone = level.HasZone(x, y);
            const bool hero = level.Hero == Cell{x, y};
            char c = ' ';
            if (level.Walls[x][y])
                c = '#';
            else if (hero)
                c = zone ? '+' : '@';
            else if (box)
                c = zone ? '*' : '$';
            else if (zone)
                c = '.';
            row += c;
        }
        while (!row.empty() && row.back() == ' ')
            row.pop_back();
        // A row with nothing on it would read as the blank line that ends a level.
        out += (row.empty() ? "-" : row) + "\n";
    }
    return out;
}

std::string FormatLevels(const std::vector<Level>& levels) {
    std::string out;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (i > 0)
            out += "\n";
        out += FormatLevel(levels[i]);
    }
    return out;
}

} // namespace puzzle
