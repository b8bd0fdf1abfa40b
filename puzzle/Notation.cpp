#include "puzzle/Notation.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace puzzle {

namespace {

using Grid = std::array<std::array<bool, kBoardRows>, kBoardColumns>;

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

// Cells inside the drawing's walls, seen from the pusher; the drawing's own coordinates.
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

Level Place(const Drawing& d) {
    const int height = static_cast<int>(d.Rows.size());
    int width = 0;
    for (const std::string& row : d.Rows)
        width = std::max(width, static_cast<int>(row.size()));
    if (width > kBoardColumns)
        Fail(d, d.FirstLine, std::to_string(width) + " columns drawn, at most 16 fit the board");
    if (height > kBoardRows)
        Fail(d, d.FirstLine, std::to_string(height) + " rows drawn, at most 12 fit the board");

    int hx = -1, hy = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < static_cast<int>(d.Rows[y].size()); ++x) {
            const char c = d.Rows[y][x];
            if (c == '@' || c == '+') {
                if (hx >= 0)
                    Fail(d, d.FirstLine + y, "a second pusher");
                hx = x;
                hy = y;
            } else if (c != '#' && c != '$' && c != '*' && c != '.' && !IsFloorChar(c)) {
                Fail(d, d.FirstLine + y, std::string("unknown character '") + c + "'");
            }
        }
    }
    if (hx < 0)
        Fail(d, d.FirstLine, "no pusher");

    // Centre the drawing; if its inside would reach under the button bar, take the nearest
    // offset that keeps it clear. When none does, keep the centre and let the check say so.
    const auto inside = DrawnInside(d.Rows, hx, hy, width);
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
            if (clear(x, y) && (best < 0 || cost < best)) {
                best = cost;
                ox = x;
                oy = y;
            }
        }
    }

    Level level;
    if (!d.Comments.empty()) {
        level.Title = d.Comments.front();
        level.Notes.assign(d.Comments.begin() + 1, d.Comments.end());
    }
    // Column-major scan, the order of the file's cells, so objects and zones get stable numbers.
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const char c = x < static_cast<int>(d.Rows[y].size()) ? d.Rows[y][x] : ' ';
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
    return level;
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
