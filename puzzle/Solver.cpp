#include "puzzle/Solver.h"

#include "puzzle/CellIndex.h"
#include "puzzle/Deadlock.h"
#include "puzzle/Notation.h"
#include "puzzle/Routes.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace puzzle {

namespace {

constexpr char kPush[4] = {'L', 'U', 'R', 'D'};
constexpr int kNoMatch = 10000;

// A position: object cells in ascending order (unused slots 0, a wall cell) and the smallest
// cell of the pusher's area. Bytes rather than words, so that a stored position takes 24 bytes
// instead of 32: the hint searches in the game's own memory.
struct Key {
    std::array<uint8_t, kMaxBoxes + 1> Cells{};
    friend bool operator==(const Key&, const Key&) = default;
};

using Boxes = std::array<uint8_t, kMaxBoxes>;

Key MakeKey(const Boxes& boxes, uint8_t pusher) {
    Key k;
    std::memcpy(k.Cells.data(), boxes.data(), kMaxBoxes);
    k.Cells[kMaxBoxes] = pusher;
    return k;
}

Boxes KeyBoxes(const Key& k) {
    Boxes b;
    std::memcpy(b.data(), k.Cells.data(), kMaxBoxes);
    return b;
}

uint8_t KeyPusher(const Key& k) {
    return k.Cells[kMaxBoxes];
}

uint64_t Hash(const Key& key) {
    uint64_t a = 0, b = 0;
    std::memcpy(&a, key.Cells.data(), 8);
    std::memcpy(&b, key.Cells.data() + 8, key.Cells.size() - 8);
    uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

static_assert(kMaxBoxes == 9, "a key's hash reads the cells as one word and two bytes");

struct Node {
    Key K;
    uint32_t Parent;
    uint16_t G;
    uint16_t H;
    uint8_t From; // the pushed object's cell before the push
    uint8_t Dir;
    bool Closed;
};
static_assert(sizeof(Node) == 24);

// The cheapest one-to-one assignment of objects to zones (Hungarian method on at most 9 x 9);
// kNoMatch or more when no assignment exists.
int MatchCost(const Board& board, const Boxes& boxes, int n) {
    int cost[kMaxBoxes + 1][kMaxBoxes + 1];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const uint16_t d = board.Distance[j][boxes[i]];
            cost[i + 1][j + 1] = d == kFar ? kNoMatch : d;
        }
    int u[kMaxBoxes + 1] = {}, v[kMaxBoxes + 1] = {}, p[kMaxBoxes + 1] = {}, way[kMaxBoxes + 1];
    for (int i = 1; i <= n; ++i) {
        p[0] = i;
        int j0 = 0;
        int minv[kMaxBoxes + 1];
        bool used[kMaxBoxes + 1] = {};
        std::fill(minv, minv + n + 1, 1 << 30);
        do {
            used[j0] = true;
            const int i0 = p[j0];
            int delta = 1 << 30, j1 = 0;
            for (int j = 1; j <= n; ++j) {
                if (used[j])
                    continue;
                const int cur = cost[i0][j] - u[i0] - v[j];
                if (cur < minv[j]) {
                    minv[j] = cur;
                    way[j] = j0;
                }
                if (minv[j] < delta) {
                    delta = minv[j];
                    j1 = j;
                }
            }
            for (int j = 0; j <= n; ++j) {
                if (used[j]) {
                    u[p[j]] += delta;
                    v[j] -= delta;
                } else {
                    minv[j] -= delta;
                }
            }
            j0 = j1;
        } while (p[j0] != 0);
        do {
            const int j1 = way[j0];
            p[j0] = p[j1];
            j0 = j1;
        } while (j0 != 0);
    }
    int total = 0;
    for (int j = 1; j <= n; ++j)
        total += cost[p[j]][j];
    return total;
}

// The search for one level. Positions live in one array; a hash table of indices finds them.
class Search {
public:
    Search(const Level& level, const SolveOptions& options)
        : board_(level), options_(options), n_(static_cast<int>(level.Boxes.size())) {
        for (int i = 0; i < n_; ++i)
            startBoxes_[i] = static_cast<uint8_t>(Index(level.Boxes[i].X, level.Boxes[i].Y));
        std::sort(startBoxes_.begin(), startBoxes_.begin() + n_);
        startPusher_ = static_cast<uint8_t>(Index(level.Hero.X, level.Hero.Y));
    }

    // Runs one search; weight 1 is A*, more is greedier. Returns the solved node or -1.
    long Run(int weight, bool& exhausted) {
        nodes_.clear();
        // All the room the search may take, at once: untouched pages cost no memory, and
        // growing by doubling would hold the old array and the new one together, three times
        // what is used, at the worst moment.
        nodes_.reserve(options_.MaxStates + 4 * kMaxBoxes);
        table_.assign(1u << 16, kEmpty);
        for (auto& bucket : open_)
            bucket.clear();
        cursor_ = 0;
        exhausted = false;

        std::fill(occupied_.begin(), occupied_.end(), false);
        for (int i = 0; i < n_; ++i)
            occupied_[startBoxes_[i]] = true;
        const uint8_t area = Flood(startPusher_, scratch_);
        for (int i = 0; i < n_; ++i)
            occupied_[startBoxes_[i]] = false;
        const int h0 = Bound(startBoxes_);
        if (h0 >= kNoMatch) {
            exhausted = true;
            return -1;
        }
        Insert(MakeKey(startBoxes_, area), kNone, 0, static_cast<uint16_t>(h0), 0, 0, weight);
        if (h0 == 0 && Solved(startBoxes_))
            return 0;

        for (;;) {
            while (cursor_ < open_.size() && open_[cursor_].empty())
                ++cursor_;
            if (cursor_ == open_.size())
                break;
            const uint32_t id = open_[cursor_].back();
            open_[cursor_].pop_back();
            Node& node = nodes_[id];
            if (node.Closed || node.G + static_cast<size_t>(weight) * node.H != cursor_)
                continue; // reached again more cheaply since it was queued
            node.Closed = true;
            const long solved = Expand(id, weight);
            if (solved >= 0)
                return solved;
            if (nodes_.size() >= options_.MaxStates || ShouldStop())
                return -1;
        }
        exhausted = true;
        return -1;
    }

    size_t States() const { return nodes_.size(); }
    bool Stopped() const { return stopped_; }

    // The pushes from the start to node id, as (object cell before the push, direction).
    std::vector<std::pair<int, int>> Pushes(long id) const {
        std::vector<std::pair<int, int>> pushes;
        for (uint32_t i = static_cast<uint32_t>(id); nodes_[i].Parent != kNone;
             i = nodes_[i].Parent)
            pushes.emplace_back(nodes_[i].From, nodes_[i].Dir);
        std::reverse(pushes.begin(), pushes.end());
        return pushes;
    }

    const Board& GetBoard() const { return board_; }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    // The clock and the flag are read every 256 expansions: often enough to stop within a
    // millisecond, rarely enough to cost nothing.
    bool ShouldStop() {
        if ((++expansions_ & 255) != 0 || stopped_)
            return stopped_;
        if (options_.Cancel && options_.Cancel->load(std::memory_order_relaxed))
            stopped_ = true;
        if (options_.MaxSeconds > 0 && std::chrono::steady_clock::now() - started_ >
                                           std::chrono::duration<double>(options_.MaxSeconds))
            stopped_ = true;
        return stopped_;
    }

    bool Solved(const Boxes& boxes) const {
        for (int i = 0; i < n_; ++i)
            if (!board_.Goal[boxes[i]])
                return false;
        return true;
    }

    int Bound(const Boxes& boxes) const {
        if (!options_.Pruning)
            return Solved(boxes) ? 0 : 1;
        return MatchCost(board_, boxes, n_);
    }

    // Floods the pusher's area from cell start around the occupied cells, marking it in seen
    // with a fresh stamp; returns its smallest cell.
    using Marks = std::array<uint32_t, kCells>;
    uint8_t Flood(int start, Marks& seen) {
        const uint32_t stamp = ++stamp_;
        int lowest = start;
        stack_.clear();
        stack_.push_back(static_cast<uint8_t>(start));
        seen[start] = stamp;
        while (!stack_.empty()) {
            const int c = stack_.back();
            stack_.pop_back();
            lowest = std::min(lowest, c);
            for (int d : kDir) {
                const int nc = c + d;
                if (seen[nc] == stamp || !board_.Floor[nc] || occupied_[nc])
                    continue;
                seen[nc] = stamp;
                stack_.push_back(static_cast<uint8_t>(nc));
            }
        }
        return static_cast<uint8_t>(lowest);
    }

    uint32_t* Slot(const Key& k) {
        const size_t mask = table_.size() - 1;
        for (size_t i = Hash(k) & mask;; i = (i + 1) & mask) {
            if (table_[i] == kEmpty || nodes_[table_[i]].K == k)
                return &table_[i];
        }
    }

    void Grow() {
        std::vector<uint32_t> old(table_.size() * 2, kEmpty);
        old.swap(table_);
        for (uint32_t id : old)
            if (id != kEmpty)
                *Slot(nodes_[id].K) = id;
    }

    void Queue(uint32_t id, int weight) {
        const size_t f = nodes_[id].G + static_cast<size_t>(weight) * nodes_[id].H;
        if (f >= open_.size())
            open_.resize(f + 1);
        open_[f].push_back(id);
        // Under a weighted bound a child may sort before its parent.
        cursor_ = std::min(cursor_, f);
    }

    void Insert(const Key& k, uint32_t parent, uint16_t g, uint16_t h, uint8_t from, uint8_t dir,
                int weight) {
        if ((nodes_.size() + 1) * 2 > table_.size())
            Grow();
        *Slot(k) = static_cast<uint32_t>(nodes_.size());
        nodes_.push_back({k, parent, g, h, from, dir, false});
        Queue(static_cast<uint32_t>(nodes_.size() - 1), weight);
    }

    long Expand(uint32_t id, int weight) {
        const Key key = nodes_[id].K;
        const uint16_t g = static_cast<uint16_t>(nodes_[id].G + 1);
        const Boxes boxes = KeyBoxes(key);
        for (int i = 0; i < n_; ++i)
            occupied_[boxes[i]] = true;
        Flood(KeyPusher(key), reach_);
        const uint32_t reach = stamp_;

        long solved = -1;
        for (int i = 0; i < n_ && solved < 0; ++i) {
            const int b = boxes[i];
            for (int k = 0; k < 4 && solved < 0; ++k) {
                const int d = kDir[k], to = b + d;
                if (reach_[b - d] != reach || !board_.Floor[to] || occupied_[to])
                    continue;
                if (options_.Pruning && board_.Dead[to])
                    continue;
                occupied_[b] = false;
                occupied_[to] = true;
                const bool frozen = options_.Pruning && freeze_.FreezesOffZone(to);
                const uint8_t area = frozen ? 0 : Flood(b, scratch_);
                occupied_[to] = false;
                occupied_[b] = true;
                if (frozen)
                    continue;

                Boxes next = boxes;
                next[i] = static_cast<uint8_t>(to);
                // Keep the cells sorted: only the moved one can be out of place.
                for (int j = i; j > 0 && next[j] < next[j - 1]; --j)
                    std::swap(next[j], next[j - 1]);
                for (int j = i; j + 1 < n_ && next[j] > next[j + 1]; ++j)
                    std::swap(next[j], next[j + 1]);
                const Key child = MakeKey(next, area);
                uint32_t* slot = Slot(child);
                if (*slot != kEmpty) {
                    Node& old = nodes_[*slot];
                    if (!old.Closed && g < old.G) {
                        old.G = g;
                        old.Parent = id;
                        old.From = static_cast<uint8_t>(b);
                        old.Dir = static_cast<uint8_t>(k);
                        Queue(*slot, weight);
                    }
                    continue;
                }
                const int h = Bound(next);
                if (h >= kNoMatch)
                    continue;
                Insert(child, id, g, static_cast<uint16_t>(h), static_cast<uint8_t>(b),
                       static_cast<uint8_t>(k), weight);
                if (h == 0 && Solved(next))
                    solved = static_cast<long>(nodes_.size() - 1);
            }
        }
        for (int i = 0; i < n_; ++i)
            occupied_[boxes[i]] = false;
        return solved;
    }

    Board board_;
    SolveOptions options_;
    int n_;
    Boxes startBoxes_{};
    uint8_t startPusher_ = 0;

    std::vector<Node> nodes_;
    std::vector<uint32_t> table_;
    std::vector<std::vector<uint32_t>> open_;
    size_t cursor_ = 0; // no open bucket below it

    std::array<bool, kCells> occupied_{};
    FreezeTest freeze_{board_, occupied_};
    Marks reach_{};   // the expanded position's pusher area
    Marks scratch_{}; // the children's
    uint32_t stamp_ = 0;
    std::vector<uint8_t> stack_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    uint32_t expansions_ = 0;
    bool stopped_ = false;
};

} // namespace

Solution Solve(const Level& level, const SolveOptions& options) {
    const auto started = std::chrono::steady_clock::now();
    Solution solution;
    Search search(level, options);
    bool exhausted = false;
    long found = search.Run(1, exhausted);
    solution.States = search.States();
    solution.Optimal = found >= 0;
    solution.Unsolvable = exhausted;
    if (found < 0 && !exhausted && options.Pruning && !search.Stopped()) {
        found = search.Run(4, exhausted);
        solution.States += search.States();
    }
    solution.Stopped = search.Stopped();

    if (found >= 0) {
        solution.Solved = true;
        const Board& board = search.GetBoard();
        std::array<bool, kCells> occupied{};
        for (const Cell& c : level.Boxes)
            occupied[Index(c.X, c.Y)] = true;
        int pusher = Index(level.Hero.X, level.Hero.Y);
        int last = -1;
        for (auto [from, dir] : search.Pushes(found)) {
            const auto walk = Walk(board.Floor, occupied, pusher, from - kDir[dir]);
            assert(walk && "the search only pushes from cells the pusher can reach");
            solution.Moves += walk.value_or("");
            solution.Moves += kPush[dir];
            occupied[from] = false;
            occupied[from + kDir[dir]] = true;
            pusher = from;
            solution.BoxChanges += from != last;
            last = from + kDir[dir];
            ++solution.Pushes;
        }
    }
    solution.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return solution;
}

int PushLowerBound(const Level& level) {
    const Board board(level);
    Boxes boxes{};
    const int n = static_cast<int>(level.Boxes.size());
    if (n == 0 || n > kMaxBoxes || level.Zones.size() != level.Boxes.size())
        return -1;
    for (int i = 0; i < n; ++i)
        boxes[i] = static_cast<uint8_t>(Index(level.Boxes[i].X, level.Boxes[i].Y));
    const int cost = MatchCost(board, boxes, n);
    return cost >= kNoMatch ? -1 : cost;
}

std::vector<Cell> DeadSquares(const Level& level) {
    const Board board(level);
    std::vector<Cell> dead;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (board.Dead[Index(x, y)])
                dead.push_back({x, y});
    return dead;
}

std::string Replay(const Level& level, const std::string& moves, bool& solved) {
    std::array<std::array<int, kBoardRows>, kBoardColumns> code{};
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            code[x][y] = level.Walls[x][y] ? 0 : 1;
    for (const Cell& c : level.Boxes)
        code[c.X][c.Y] = 2;
    auto at = [&](int x, int y) {
        return x < 0 || y < 0 || x >= kBoardColumns || y >= kBoardRows ? 0 : code[x][y];
    };
    int x = level.Hero.X, y = level.Hero.Y;
    solved = false;
    for (size_t i = 0; i < moves.size(); ++i) {
        const char m = moves[i];
        const auto [dx, dy, written] = ReadMove(m);
        const std::string where = "move " + std::to_string(i + 1) + " '" + m + "'";
        if (dx == 0 && dy == 0)
            return where + " is not one of L, U, R, D";
        const int t = at(x + dx, y + dy);
        const bool push = t == 2;
        if (t == 0)
            return where + " walks into a wall";
        if (push) {
            const int behind = at(x + 2 * dx, y + 2 * dy);
            if (behind == 0 || behind == 2)
                return where + " pushes an object that cannot move";
            code[x + dx][y + dy] = 1;
            code[x + 2 * dx][y + 2 * dy] = 2;
        }
        if (push != written)
            return where +
                   (push ? " pushes but is written as a walk" : " walks but is written as a push");
        x += dx;
        y += dy;
    }
    solved = true;
    for (const Cell& z : level.Zones)
        solved = solved && code[z.X][z.Y] == 2;
    return {};
}

} // namespace puzzle
