#include "tools/levels/Generator.h"

#include "puzzle/CellIndex.h"
#include "tools/levels/Arguments.h"
#include "tools/levels/Random.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace levels {

namespace {

using namespace puzzle;

using Floor = std::array<bool, kCells>;

int CountFloor(const Floor& floor) {
    return static_cast<int>(std::count(floor.begin(), floor.end(), true));
}

// Cells reachable from start over floor not blocked.
std::vector<int> Area(const Floor& floor, const std::array<bool, kCells>& blocked, int start) {
    std::vector<int> area{start};
    std::array<bool, kCells> seen{};
    seen[start] = true;
    for (size_t i = 0; i < area.size(); ++i)
        for (int d : kDir) {
            const int n = area[i] + d;
            if (floor[n] && !blocked[n] && !seen[n]) {
                seen[n] = true;
                area.push_back(n);
            }
        }
    return area;
}

bool Connected(const Floor& floor) {
    const auto first = std::find(floor.begin(), floor.end(), true);
    if (first == floor.end())
        return false;
    const int start = static_cast<int>(first - floor.begin());
    return static_cast<int>(Area(floor, {}, start).size()) == CountFloor(floor);
}

Floor MakeRoom(const GenerateOptions& o, Random& rng) {
    Floor floor{};
    const int left = (kBoardColumns - o.Width) / 2, top = (kBoardRows - o.Height) / 2;
    for (int x = left; x < left + o.Width; ++x)
        for (int y = top; y < top + o.Height; ++y)
            if (x < kBarLeft || y < kBarTop)
                floor[Index(x, y)] = true;

    // Notch some corners, so that not every room is a box.
    for (int corner = 0; corner < 4; ++corner) {
        if (rng.Below(3) == 0)
            continue;
        const int w = 1 + rng.Below(std::max(1, o.Width / 3));
        const int h = 1 + rng.Below(std::max(1, o.Height / 3));
        const int x0 = corner & 1 ? left + o.Width - w : left;
        const int y0 = corner & 2 ? top + o.Height - h : top;
        for (int x = x0; x < x0 + w; ++x)
            for (int y = y0; y < y0 + h; ++y)
                floor[Index(x, y)] = false;
    }

    // Wall pieces: single blocks, bars and corners, kept only where the floor stays in one piece.
    static const std::vector<std::vector<std::pair<int, int>>> kPieces = {
        {{0, 0}},
        {{0, 0}, {1, 0}},
        {{0, 0}, {0, 1}},
        {{0, 0}, {1, 0}, {2, 0}},
        {{0, 0}, {0, 1}, {0, 2}},
        {{0, 0}, {1, 0}, {0, 1}},
        {{0, 0}, {1, 0}, {1, 1}},
        {{0, 0}, {1, 0}, {2, 0}, {1, 1}}};
    const int pieces = o.Walls >= 0 ? o.Walls : o.Width * o.Height / 9;
    for (int placed = 0, tries = 0; placed < pieces && tries < pieces * 20; ++tries) {
        const auto& piece = kPieces[rng.Below(static_cast<int>(kPieces.size()))];
        const int x = left + rng.Below(o.Width), y = top + rng.Below(o.Height);
        Floor next = floor;
        for (auto [dx, dy] : piece)
            if (x + dx < kBoardColumns && y + dy < kBoardRows)
                next[Index(x + dx, y + dy)] = false;
        if (next != floor && Connected(next)) {
            floor = next;
            ++placed;
        }
    }

    // Dead ends only hold the pusher; fill them so the room stays tidy.
    for (bool changed = true; changed;) {
        changed = false;
        for (int c = 0; c < kCells; ++c) {
            if (!floor[c])
                continue;
            int open = 0;
            for (int d : kDir)
                open += floor[c + d];
            if (open <= 1) {
                floor[c] = false;
                changed = true;
            }
        }
    }
    return floor;
}

// Zones: a loose cluster grown from a random cell, the way storage rooms look.
std::vector<int> PlaceZones(const Floor& floor, int count, Random& rng) {
    std::vector<int> cells;
    for (int c = 0; c < kCells; ++c)
        if (floor[c])
            cells.push_back(c);
    std::vector<int> zones{cells[rng.Below(static_cast<int>(cells.size()))]};
    while (static_cast<int>(zones.size()) < count) {
        std::vector<int> frontier;
        for (int z : zones)
            for (int d : kDir)
                if (floor[z + d] && std::find(zones.begin(), zones.end(), z + d) == zones.end())
                    frontier.push_back(z + d);
        // Now and then a zone elsewhere, so that not all of them huddle together.
        if (frontier.empty() || rng.Below(4) == 0) {
            const int c = cells[rng.Below(static_cast<int>(cells.size()))];
            if (std::find(zones.begin(), zones.end(), c) == zones.end())
                zones.push_back(c);
            continue;
        }
        zones.push_back(frontier[rng.Below(static_cast<int>(frontier.size()))]);
    }
    return zones;
}

// A backward position: object cells in ascending order, then the pusher's area's smallest cell.
using Position = std::array<uint8_t, kMaxBoxes + 1>;

struct PositionHash {
    size_t operator()(const Position& p) const {
        uint64_t a = 0, b = 0;
        std::memcpy(&a, p.data(), 8);
        std::memcpy(&b, p.data() + 8, 2);
        uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull);
        return static_cast<size_t>(h ^ (h >> 31));
    }
};

class Backward {
public:
    Backward(const Floor& floor, int boxes) : floor_(floor), n_(boxes) {}

    // The positions one pull away from p.
    void Pulls(const Position& p, std::vector<Position>& out) {
        std::array<bool, kCells> occupied{};
        for (int i = 0; i < n_; ++i)
            occupied[p[i]] = true;
        const auto area = Area(floor_, occupied, p[kMaxBoxes]);
        std::array<bool, kCells> reach{};
        for (int c : area)
            reach[c] = true;
        for (int i = 0; i < n_; ++i) {
            const int b = p[i];
            for (int d : kDir) {
                // The pusher stands at b + d and steps back to b + 2d, drawing the object along.
                if (!reach[b + d] || !floor_[b + 2 * d] || occupied[b + 2 * d])
                    continue;
                Position next = p;
                next[i] = static_cast<uint8_t>(b + d);
                std::sort(next.begin(), next.begin() + n_);
                occupied[b] = false;
                occupied[b + d] = true;
                const auto nextArea = Area(floor_, occupied, b + 2 * d);
                occupied[b + d] = false;
                occupied[b] = true;
                next[kMaxBoxes] =
                    static_cast<uint8_t>(*std::min_element(nextArea.begin(), nextArea.end()));
                out.push_back(next);
            }
        }
    }

private:
    const Floor& floor_;
    int n_;
};

using Cells = std::array<bool, kCells>;

// The solved board with the pusher in each part of the room the objects leave free.
std::vector<Position> SolvedPositions(const Floor& floor, const std::vector<int>& zones,
                                      const Cells& onZone, int boxes) {
    Position solved{};
    std::copy(zones.begin(), zones.end(), solved.begin());
    std::sort(solved.begin(), solved.begin() + boxes);
    std::vector<Position> positions;
    Cells covered = onZone;
    for (int c = 0; c < kCells; ++c) {
        if (!floor[c] || covered[c])
            continue;
        const auto area = Area(floor, onZone, c);
        for (int a : area)
            covered[a] = true;
        Position p = solved;
        p[kMaxBoxes] = static_cast<uint8_t>(*std::min_element(area.begin(), area.end()));
        positions.push_back(p);
    }
    return positions;
}

// How far the objects lie from the zones: each object's pushes to its nearest zone, alone
// (-1 where no zone can be reached).
std::array<int, kCells> PushesToZone(const Floor& floor, const std::vector<int>& zones) {
    std::array<int, kCells> toZone;
    toZone.fill(-1);
    std::vector<int> queue(zones.begin(), zones.end());
    for (int z : zones)
        toZone[z] = 0;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int b = queue[head];
        for (int d : kDir)
            if (floor[b + d] && floor[b + 2 * d] && toZone[b + d] < 0) {
                toZone[b + d] = toZone[b] + 1;
                queue.push_back(b + d);
            }
    }
    return toZone;
}

// Pulls the objects back from the solved positions, breadth first while the positions fit,
// then a sample of each step onwards; the deepest step reached.
template <typename SpreadFn>
std::vector<Position> PullBack(const Floor& floor, std::vector<Position> layer,
                               const GenerateOptions& o, const SpreadFn& Spread, Random& rng) {
    Backward backward(floor, o.Boxes);
    std::unordered_set<Position, PositionHash> seen(layer.begin(), layer.end());
    std::vector<Position> deepest = layer, next, pulls;
    for (int depth = 0; !layer.empty() && depth < 400; ++depth) {
        next.clear();
        for (const Position& p : layer) {
            pulls.clear();
            backward.Pulls(p, pulls);
            for (const Position& q : pulls)
                if (seen.insert(q).second)
                    next.push_back(q);
        }
        if (seen.size() > o.MaxStates && next.size() > o.Beam) {
            for (size_t i = 0; i < (o.Far ? next.size() : o.Beam); ++i)
                std::swap(next[i], next[i + rng.Below(static_cast<int>(next.size() - i))]);
            if (o.Far)
                std::stable_sort(
                    next.begin(), next.end(),
                    [&](const Position& a, const Position& b) { return Spread(a) > Spread(b); });
            next.resize(o.Beam);
        }
        if (!next.empty())
            deepest = next;
        layer.swap(next);
    }
    return deepest;
}

// The level of a start position: walls around the floor, the pusher anywhere it can stand.
Level MakeLevel(const Floor& floor, const Cells& onZone, const Position& start, int boxes,
                Random& rng) {
    Level level;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            bool nearFloor = false;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    nearFloor |= floor[Index(x + dx, y + dy)];
            level.Walls[x][y] = !floor[Index(x, y)] && nearFloor;
        }
    Cells occupied{};
    for (int i = 0; i < boxes; ++i)
        occupied[start[i]] = true;
    const auto area = Area(floor, occupied, start[kMaxBoxes]);
    const int hero = area[rng.Below(static_cast<int>(area.size()))];
    level.Hero = {Column(hero), Row(hero)};
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            const int c = Index(x, y);
            if (occupied[c])
                level.Boxes.push_back({x, y});
            if (onZone[c])
                level.Zones.push_back({x, y});
        }
    return level;
}

} // namespace

std::optional<Level> Generate(const GenerateOptions& o) {
    if (o.Boxes < 1 || o.Boxes > kMaxBoxes || o.Width < 3 || o.Height < 3 || o.Width > 14 ||
        o.Height > 10)
        return std::nullopt;
    Random rng(o.Seed);
    const Floor floor = MakeRoom(o, rng);
    if (CountFloor(floor) < o.Boxes * 2 + 2)
        return std::nullopt;
    const std::vector<int> zones = PlaceZones(floor, o.Boxes, rng);
    Cells onZone{};
    for (int z : zones)
        onZone[z] = true;

    const std::array<int, kCells> toZone = PushesToZone(floor, zones);
    auto Spread = [&](const Position& p) {
        int sum = 0;
        for (int i = 0; i < o.Boxes; ++i)
            sum += toZone[p[i]];
        return sum;
    };
    const std::vector<Position> deepest =
        PullBack(floor, SolvedPositions(floor, zones, onZone, o.Boxes), o, Spread, rng);

    // Of the deepest positions, one with the most objects off their zones.
    auto offZones = [&](const Position& p) {
        int off = 0;
        for (int i = 0; i < o.Boxes; ++i)
            off += !onZone[p[i]];
        return off;
    };
    int most = 0, widest = 0;
    for (const Position& p : deepest)
        most = std::max(most, offZones(p));
    for (const Position& p : deepest)
        if (offZones(p) == most)
            widest = std::max(widest, Spread(p));
    std::vector<Position> best;
    for (const Position& p : deepest)
        if (offZones(p) == most && (!o.Far || Spread(p) == widest))
            best.push_back(p);
    const Position start = best[rng.Below(static_cast<int>(best.size()))];
    return MakeLevel(floor, onZone, start, o.Boxes, rng);
}

std::string GenerateCommand(const GenerateOptions& o) {
    const GenerateOptions defaults;
    std::string command = "levels generate --seed " + std::to_string(o.Seed) + " --boxes " +
                          std::to_string(o.Boxes) + " --size " + std::to_string(o.Width) + "x" +
                          std::to_string(o.Height);
    if (o.Walls != defaults.Walls)
        command += " --walls " + std::to_string(o.Walls);
    if (o.MaxStates != defaults.MaxStates)
        command += " --states " + std::to_string(o.MaxStates);
    if (o.Beam != defaults.Beam)
        command += " --beam " + std::to_string(o.Beam);
    if (o.Far)
        command += " --far 1";
    return command;
}

std::optional<GenerateOptions> ParseGenerateArguments(const std::vector<std::string>& args) {
    GenerateOptions o;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return std::nullopt;
        const std::string& flag = args[i];
        const std::string& text = args[i + 1];
        uint64_t v = 0;
        if (flag == "--size") {
            uint64_t w = 0, h = 0;
            if (!ParseSize(text, w, h))
                return std::nullopt;
            o.Width = static_cast<int>(std::min<uint64_t>(w, 1000));
            o.Height = static_cast<int>(std::min<uint64_t>(h, 1000));
            continue;
        }
        if (!ParseCount(text, v))
            return std::nullopt;
        if (flag == "--seed")
            o.Seed = v;
        else if (flag == "--boxes")
            o.Boxes = static_cast<int>(std::min<uint64_t>(v, 1000));
        else if (flag == "--walls")
            o.Walls = static_cast<int>(std::min<uint64_t>(v, 1000));
        else if (flag == "--states")
            o.MaxStates = static_cast<size_t>(v);
        else if (flag == "--beam")
            o.Beam = std::max<size_t>(1, static_cast<size_t>(v));
        else if (flag == "--far")
            o.Far = v != 0;
        else
            return std::nullopt;
    }
    return o;
}

} // namespace levels
