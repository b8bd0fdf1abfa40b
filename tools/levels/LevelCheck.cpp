#include "tools/levels/LevelCheck.h"

#include <set>

namespace levels {

namespace {

std::string At(const Cell& c) {
    return "(" + std::to_string(c.X) + ", " + std::to_string(c.Y) + ")";
}

} // namespace

std::vector<std::string> CheckLevel(const Level& level) {
    std::vector<std::string> problems;
    const size_t boxes = level.Boxes.size(), zones = level.Zones.size();
    if (boxes < 1 || boxes > kMaxBoxes)
        problems.push_back(std::to_string(boxes) + " objects; a level has 1 to 9");
    if (boxes != zones)
        problems.push_back(std::to_string(boxes) + " objects but " + std::to_string(zones) +
                           " zones");

    auto checkSet = [&](const std::vector<Cell>& cells, const char* what) {
        std::set<std::pair<int, int>> seen;
        for (const Cell& c : cells) {
            if (!seen.insert({c.X, c.Y}).second)
                problems.push_back(std::string("two ") + what + "s on " + At(c));
            if (level.IsWall(c.X, c.Y))
                problems.push_back(std::string("a ") + what + " in a wall at " + At(c));
        }
    };
    checkSet(level.Boxes, "object");
    checkSet(level.Zones, "zone");

    if (level.IsWall(level.Hero.X, level.Hero.Y)) {
        problems.push_back("the pusher starts in a wall at " + At(level.Hero));
        return problems; // nothing is reachable, so the rest would only repeat it
    }
    if (level.HasBox(level.Hero.X, level.Hero.Y))
        problems.push_back("the pusher starts on an object at " + At(level.Hero));

    const auto inside = level.Inside();
    bool open = false, underBar = false;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            if (!inside[x][y])
                continue;
            open |= x == 0 || y == 0 || x == kBoardColumns - 1 || y == kBoardRows - 1;
            underBar |= x >= kBarLeft && y >= kBarTop;
        }
    }
    if (open)
        problems.push_back("the walls do not enclose the pusher");
    if (underBar)
        problems.push_back("the pusher can reach the corner under the button bar "
                           "(columns 12-15 of rows 10-11)");
    for (const Cell& c : level.Boxes)
        if (!level.IsWall(c.X, c.Y) && !inside[c.X][c.Y])
            problems.push_back("the pusher cannot reach the object at " + At(c));
    for (const Cell& c : level.Zones)
        if (!level.IsWall(c.X, c.Y) && !inside[c.X][c.Y])
            problems.push_back("the pusher cannot reach the zone at " + At(c));
    return problems;
}

std::vector<std::string> CheckLevelBytes(const LevelBytes& bytes) {
    Level level;
    try {
        level = DecodeLevel(bytes);
    } catch (const FileError& e) {
        return {e.what()};
    }
    std::vector<std::string> problems;
    const TLevelData data = ToLevelData(bytes);
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const int32_t code = data.Cells[x][y];
            const bool box = level.HasBox(x, y);
            if (box && code != ccBox)
                problems.push_back("the object at " + At({x, y}) + " has cell code " +
                                   std::to_string(code) + ", not " + std::to_string(ccBox));
            if (!box && code == ccBox)
                problems.push_back("cell " + At({x, y}) + " has code " + std::to_string(ccBox) +
                                   " but no object");
        }
    }
    const std::vector<std::string> more = CheckLevel(level);
    problems.insert(problems.end(), more.begin(), more.end());
    return problems;
}

} // namespace levels
