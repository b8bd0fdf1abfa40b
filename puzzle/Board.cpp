#include "puzzle/Board.h"

namespace puzzle {

Board::Board(const Level& level) {
    const auto inside = level.Inside();
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            Floor[Index(x, y)] = inside[x][y];
    for (const Cell& z : level.Zones) {
        Goal[Index(z.X, z.Y)] = true;
        Goals.push_back(static_cast<uint8_t>(Index(z.X, z.Y)));
    }
    // Pushes a lone object needs from each cell to each zone, found by pulling it back from the
    // zone: an object reaches b from b - d when the pusher can stand at b - 2d.
    Distance.assign(Goals.size(), {});
    for (size_t g = 0; g < Goals.size(); ++g) {
        auto& dist = Distance[g];
        dist.fill(kFar);
        std::vector<uint8_t> queue{Goals[g]};
        dist[Goals[g]] = 0;
        if (!Floor[Goals[g]])
            continue;
        for (size_t head = 0; head < queue.size(); ++head) {
            const int b = queue[head];
            for (int d : kDir) {
                const int from = b - d, pusher = b - 2 * d;
                if (from < 0 || pusher < 0 || !Floor[from] || !Floor[pusher] || dist[from] != kFar)
                    continue;
                dist[from] = static_cast<uint16_t>(dist[b] + 1);
                queue.push_back(static_cast<uint8_t>(from));
            }
        }
    }
    for (int c = 0; c < kCells; ++c) {
        Dead[c] = Floor[c];
        for (const auto& dist : Distance)
            if (dist[c] != kFar)
                Dead[c] = false;
    }
}

} // namespace puzzle
