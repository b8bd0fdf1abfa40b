#include "puzzle/Routes.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

namespace puzzle {

namespace {

constexpr char kWalk[4] = {'l', 'u', 'r', 'd'};
constexpr char kPush[4] = {'L', 'U', 'R', 'D'};

std::array<bool, kCells> FloorOf(const Level& position) {
    std::array<bool, kCells> floor{};
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            floor[Index(x, y)] = !position.IsWall(x, y);
    return floor;
}

bool OnBoard(Cell c) {
    return c.X >= 0 && c.Y >= 0 && c.X < kBoardColumns && c.Y < kBoardRows;
}

} // namespace

std::optional<std::string> Walk(const std::array<bool, kCells>& floor,
                                const std::array<bool, kCells>& occupied, int from, int to) {
    if (!floor[to] || occupied[to])
        return std::nullopt;
    std::array<int8_t, kCells> via;
    via.fill(-1);
    std::vector<int> queue{from};
    queue.reserve(kCells);
    via[from] = 4;
    for (size_t head = 0; head < queue.size() && via[to] < 0; ++head) {
        const int c = queue[head];
        for (int k = 0; k < 4; ++k) {
            const int nc = c + kDir[k];
            if (via[nc] >= 0 || !floor[nc] || occupied[nc])
                continue;
            via[nc] = static_cast<int8_t>(k);
            queue.push_back(nc);
        }
    }
    if (via[to] < 0)
        return std::nullopt;
    std::string path;
    for (int c = to; c != from; c -= kDir[via[c]])
        path += kWalk[via[c]];
    std::reverse(path.begin(), path.end());
    return path;
}

std::optional<std::string> WalkTo(const Level& position, Cell to) {
    if (!OnBoard(to) || !OnBoard(position.Hero))
        return std::nullopt;
    std::array<bool, kCells> occupied{};
    for (const Cell& b : position.Boxes)
        occupied[Index(b.X, b.Y)] = true;
    return Walk(FloorOf(position), occupied, Index(position.Hero.X, position.Hero.Y),
                Index(to.X, to.Y));
}

PushRoutes::PushRoutes(const Level& position, Cell object) : object_(object) {
    if (!OnBoard(object) || !OnBoard(position.Hero) || !position.HasBox(object.X, object.Y))
        return;
    const std::array<bool, kCells> floor = FloorOf(position);
    std::array<bool, kCells> occupied{};
    for (const Cell& b : position.Boxes)
        if (!(b == object))
            occupied[Index(b.X, b.Y)] = true;

    // Dijkstra over (object, pusher): a walk costs one move, a push one push and one move, and
    // pushes weigh more than any number of moves.
    cost_.assign(size_t{kCells} * kCells, kUnreached);
    parent_.assign(cost_.size(), -1);
    using Entry = std::pair<uint32_t, uint32_t>; // cost, state
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    const auto start = static_cast<uint32_t>(Index(object.X, object.Y) * kCells +
                                             Index(position.Hero.X, position.Hero.Y));
    cost_[start] = 0;
    open.push({0, start});
    while (!open.empty()) {
        const auto [cost, state] = open.top();
        open.pop();
        if (cost != cost_[state])
            continue;
        const int b = static_cast<int>(state / kCells), p = static_cast<int>(state % kCells);
        for (int k = 0; k < 4; ++k) {
            const int np = p + kDir[k];
            int nb = b;
            uint32_t step = 1;
            if (np == b) {
                nb = b + kDir[k];
                step = (1u << 16) + 1;
            }
            if (!floor[np] || !floor[nb] || occupied[np] || occupied[nb])
                continue;
            const auto next = static_cast<uint32_t>(nb * kCells + np);
            if (cost + step >= cost_[next])
                continue;
            cost_[next] = cost + step;
            parent_[next] = static_cast<int32_t>(state);
            open.push({cost + step, next});
        }
    }
    const int own = Index(object.X, object.Y);
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (Index(x, y) != own && Best(Index(x, y)) >= 0)
                targets_.push_back({x, y});
}

int PushRoutes::Best(int objectCell) const {
    if (cost_.empty())
        return -1;
    int best = -1;
    for (int p = 0; p < kCells; ++p) {
        const size_t state = static_cast<size_t>(objectCell) * kCells + static_cast<size_t>(p);
        if (cost_[state] != kUnreached &&
            (best < 0 || cost_[state] < cost_[static_cast<size_t>(best)]))
            best = static_cast<int>(state);
    }
    return best;
}

std::optional<std::string> PushRoutes::RouteTo(Cell to) const {
    if (!OnBoard(to) || to == object_)
        return std::nullopt;
    int state = Best(Index(to.X, to.Y));
    if (state < 0)
        return std::nullopt;
    std::string route;
    for (int from = parent_[static_cast<size_t>(state)]; from >= 0;
         state = from, from = parent_[static_cast<size_t>(state)]) {
        const int p = state % kCells, q = from % kCells;
        const int k = static_cast<int>(std::find(kDir, kDir + 4, p - q) - kDir);
        route += state / kCells != from / kCells ? kPush[k] : kWalk[k];
    }
    std::reverse(route.begin(), route.end());
    return route;
}

} // namespace puzzle
