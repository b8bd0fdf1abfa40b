#include "tools/levels/Evolver.h"

#include "puzzle/Measures.h"
#include "puzzle/Notation.h"
#include "puzzle/Solver.h"
#include "tools/levels/Arguments.h"
#include "tools/levels/Generator.h"
#include "tools/levels/LevelCheck.h"
#include "tools/levels/Random.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <sstream>
#include <thread>

namespace levels {

namespace {

using namespace puzzle;
using Grid = Level::Grid;

bool InRoom(const EvolveOptions& o, int x, int y) {
    const int left = (kBoardColumns - o.Width) / 2, top = (kBoardRows - o.Height) / 2;
    return x >= left && y >= top && x < left + o.Width && y < top + o.Height &&
           (x < kBarLeft || y < kBarTop);
}

// Floor cells connected to (x, y).
Grid Flood(const Grid& floor, int x, int y) {
    Grid seen{};
    std::vector<Cell> stack{{x, y}};
    seen[x][y] = true;
    while (!stack.empty()) {
        const Cell c = stack.back();
        stack.pop_back();
        const int dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
        for (int k = 0; k < 4; ++k) {
            const int nx = c.X + dx[k], ny = c.Y + dy[k];
            if (nx < 0 || ny < 0 || nx >= kBoardColumns || ny >= kBoardRows || seen[nx][ny] ||
                !floor[nx][ny])
                continue;
            seen[nx][ny] = true;
            stack.push_back({nx, ny});
        }
    }
    return seen;
}

int Count(const Grid& g) {
    int n = 0;
    for (const auto& column : g)
        n += static_cast<int>(std::count(column.begin(), column.end(), true));
    return n;
}

// The level of a floor: walls drawn around it, objects and zones in board order.
Level Build(const Grid& floor, const std::vector<Cell>& boxes, const std::vector<Cell>& zones,
            Cell hero) {
    Level level;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            bool near = false;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    const int nx = x + dx, ny = y + dy;
                    near |= nx >= 0 && ny >= 0 && nx < kBoardColumns && ny < kBoardRows &&
                            floor[nx][ny];
                }
            level.Walls[x][y] = !floor[x][y] && near;
        }
    auto boardOrder = [](std::vector<Cell> cells) {
        std::sort(cells.begin(), cells.end(),
                  [](const Cell& a, const Cell& b) { return a.X != b.X ? a.X < b.X : a.Y < b.Y; });
        return cells;
    };
    level.Boxes = boardOrder(boxes);
    level.Zones = boardOrder(zones);
    level.Hero = hero;
    return level;
}

// The objects a solution never pushes.
int IdleObjects(const Level& level, const std::string& moves) {
    std::array<std::array<int, kBoardRows>, kBoardColumns> id;
    for (auto& column : id)
        column.fill(-1);
    for (size_t i = 0; i < level.Boxes.size(); ++i)
        id[level.Boxes[i].X][level.Boxes[i].Y] = static_cast<int>(i);
    std::vector<bool> moved(level.Boxes.size(), false);
    int x = level.Hero.X, y = level.Hero.Y;
    for (char m : moves) {
        const puzzle::MoveStep step = puzzle::ReadMove(m);
        x += step.DX;
        y += step.DY;
        if (step.Push) {
            const int b = id[x][y];
            moved[b] = true;
            id[x][y] = -1;
            id[x + step.DX][y + step.DY] = b;
        }
    }
    return static_cast<int>(std::count(moved.begin(), moved.end(), false));
}

// Whether an object rests untouched on cell c through the whole solution.
bool IdleOn(const Level& level, const std::string& moves, Cell c) {
    if (!level.HasBox(c.X, c.Y))
        return false;
    int x = level.Hero.X, y = level.Hero.Y;
    for (char m : moves) {
        const puzzle::MoveStep step = puzzle::ReadMove(m);
        x += step.DX;
        y += step.DY;
        if (step.Push && x == c.X && y == c.Y)
            return false;
    }
    return true;
}

// The room with one of its columns (or rows) doubled: everything on one side of line `at`
// moves one cell away, and the line's floor is laid again in the gap. Objects, zones and the
// pusher move with their side. The distances across the line grow by one, so a run aiming for
// longer solutions gets them without a new puzzle; false when the room would leave the options'
// rectangle.
bool Stretch(const EvolveOptions& o, bool columns, int at, int side, Grid& floor,
             std::vector<Cell>& boxes, std::vector<Cell>& zones, Cell& hero) {
    auto moves = [&](Cell c) { return (columns ? c.X : c.Y) * side > at * side; };
    auto moved = [&](Cell c) {
        return moves(c) ? Cell{c.X + (columns ? side : 0), c.Y + (columns ? 0 : side)} : c;
    };
    Grid out{};
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            if (!floor[x][y])
                continue;
            const Cell to = moved({x, y});
            if (!InRoom(o, to.X, to.Y))
                return false;
            out[to.X][to.Y] = true;
            if ((columns ? x : y) == at) { // laid again in the gap beside it
                const Cell gap{x + (columns ? side : 0), y + (columns ? 0 : side)};
                if (!InRoom(o, gap.X, gap.Y))
                    return false;
                out[gap.X][gap.Y] = true;
            }
        }
    floor = out;
    for (Cell& c : boxes)
        c = moved(c);
    for (Cell& c : zones)
        c = moved(c);
    hero = moved(hero);
    return true;
}

} // namespace

Judgement Judge(const Level& level, size_t cap, const Aim& aim) {
    Judgement j;
    const std::vector<std::string> problems = CheckLevel(level);
    if (!problems.empty()) {
        j.Why = problems.front();
        return j;
    }
    SolveOptions options;
    options.MaxStates = cap;
    // No greedy retry: a level the A* search cannot prove within the cap is of no use here.
    const Solution s = Solve(level, options);
    j.States = s.States;
    j.Seconds = s.Seconds;
    if (!s.Solved || !s.Optimal) {
        j.Why = s.Unsolvable ? "unsolvable" : "not proven within the cap";
        return j;
    }
    j.Proven = true;
    j.Idle = IdleObjects(level, s.Moves);
    j.Pushes = s.Pushes;
    j.Moves = static_cast<int>(s.Moves.size());
    j.Changes = s.BoxChanges;
    j.Lines = ObjectLines(level, s.Moves);
    j.Bound = PushLowerBound(level);
    j.Floor = Count(level.Inside());
    j.Solution = s.Moves;
    j.Valid = j.Idle == 0;
    if (!j.Valid)
        j.Why = "an object never moves";
    j.Score = Score(j, aim);
    return j;
}

double Score(const Judgement& j, const Aim& aim) {
    if (!j.Proven)
        return -std::numeric_limits<double>::infinity();
    const double states = std::log2(static_cast<double>(j.States) + 1);
    double shortfall = std::max(0, aim.Pushes - j.Pushes) + std::max(0, aim.Changes - j.Changes);
    if (aim.Positions > 0)
        shortfall += 4.0 * std::max(0.0, std::log2(static_cast<double>(aim.Positions)) - states);
    return 3.0 * j.Changes + 1.5 * j.Lines + 2.0 * (j.Pushes - j.Bound) + 0.5 * j.Pushes +
           2.0 * states - 0.3 * j.Floor - 100.0 * j.Idle - 10.0 * shortfall;
}

std::optional<Level> Mutate(const Level& parent, const EvolveOptions& o, uint64_t stream) {
    Random rng(stream);
    Grid floor = parent.Inside();
    std::vector<Cell> boxes = parent.Boxes, zones = parent.Zones;
    Cell hero = parent.Hero;
    auto taken = [&](int x, int y) {
        auto on = [&](const std::vector<Cell>& cells) {
            return std::find(cells.begin(), cells.end(), Cell{x, y}) != cells.end();
        };
        return on(boxes) || on(zones) || hero == Cell{x, y};
    };
    // A random floor cell; near one of the cells given, or anywhere.
    auto pick = [&](Cell near, bool anywhere, Cell& out) {
        for (int tries = 0; tries < 40; ++tries) {
            const int x = anywhere ? rng.Below(kBoardColumns) : near.X + rng.Below(5) - 2;
            const int y = anywhere ? rng.Below(kBoardRows) : near.Y + rng.Below(5) - 2;
            if (x < 0 || y < 0 || x >= kBoardColumns || y >= kBoardRows || !floor[x][y])
                continue;
            out = {x, y};
            return true;
        }
        return false;
    };
    // Only a run with an aim draws for a stretch, so that runs without one make the levels
    // they always made.
    if (o.Aims != Aim{} && rng.Below(8) == 0) {
        const bool columns = rng.Below(2) == 0;
        int first = kBoardColumns, last = -1; // the lines with floor
        for (int x = 0; x < kBoardColumns; ++x)
            for (int y = 0; y < kBoardRows; ++y)
                if (floor[x][y]) {
                    first = std::min(first, columns ? x : y);
                    last = std::max(last, columns ? x : y);
                }
        const int at = first + rng.Below(last - first + 1);
        const int side = rng.Below(2) == 0 ? -1 : 1;
        if (!Stretch(o, columns, at, side, floor, boxes, zones, hero))
            return std::nullopt;
        const Level child = Build(floor, boxes, zones, hero);
        if (!CheckLevel(child).empty())
            return std::nullopt;
        return child;
    }
    const int changes = 1 + rng.Below(3);
    for (int c = 0; c < changes; ++c) {
        const int what = rng.Below(20);
        if (what < 6) { // a wall where there was floor, keeping the floor in one piece
            Cell cell;
            if (!pick({}, true, cell) || taken(cell.X, cell.Y))
                continue;
            floor[cell.X][cell.Y] = false;
            if (Count(Flood(floor, hero.X, hero.Y)) != Count(floor))
                floor[cell.X][cell.Y] = true;
        } else if (what < 10) { // floor where there was wall, next to the floor
            for (int tries = 0; tries < 40; ++tries) {
                const int x = rng.Below(kBoardColumns), y = rng.Below(kBoardRows);
                if (floor[x][y] || !InRoom(o, x, y))
                    continue;
                const bool beside =
                    (x > 0 && floor[x - 1][y]) || (x + 1 < kBoardColumns && floor[x + 1][y]) ||
                    (y > 0 && floor[x][y - 1]) || (y + 1 < kBoardRows && floor[x][y + 1]);
                if (!beside)
                    continue;
                floor[x][y] = true;
                break;
            }
        } else {
            std::vector<Cell>* moving = what < 14 ? &boxes : what < 17 ? &zones : nullptr;
            int which = moving ? rng.Below(static_cast<int>(moving->size())) : 0;
            // Half the time an object resting on a zone: those are the ones a solution may
            // never need to touch.
            if (moving == &boxes && rng.Below(2) == 0) {
                std::vector<int> resting;
                for (size_t i = 0; i < boxes.size(); ++i)
                    if (std::find(zones.begin(), zones.end(), boxes[i]) != zones.end())
                        resting.push_back(static_cast<int>(i));
                if (!resting.empty())
                    which = resting[rng.Below(static_cast<int>(resting.size()))];
            }
            Cell& from = moving ? (*moving)[which] : hero;
            Cell to;
            if (!pick(from, rng.Below(3) == 0, to))
                continue;
            const bool clash = moving
                                   ? std::find(moving->begin(), moving->end(), to) != moving->end()
                                   : std::find(boxes.begin(), boxes.end(), to) != boxes.end();
            if (clash || (moving == &boxes && hero == to))
                continue;
            from = to;
        }
    }
    if (std::find(boxes.begin(), boxes.end(), hero) != boxes.end())
        return std::nullopt;
    const Level child = Build(floor, boxes, zones, hero);
    if (child == parent || !CheckLevel(child).empty())
        return std::nullopt;
    return child;
}

std::optional<Level> FirstLevel(const EvolveOptions& o) {
    GenerateOptions g;
    g.Seed = o.Seed;
    g.Boxes = o.Boxes;
    g.Width = o.Width;
    g.Height = o.Height;
    g.MaxStates = 100'000;
    g.Beam = 1'000;
    g.Far = true;
    return Generate(g);
}

std::pair<Level, Judgement>
Evolve(const EvolveOptions& o, Level start, int first, int threads,
       const std::function<void(const EvolveProgress&, const Level&)>& progress) {
    const auto began = std::chrono::steady_clock::now();
    Level best = std::move(start);
    Judgement bestJudgement = Judge(best, o.Cap, o.Aims);
    size_t positions = bestJudgement.States;
    const int workers = std::max(1, std::min(threads, o.Brood));
    for (int generation = first; generation < o.Generations; ++generation) {
        std::vector<std::optional<Level>> children(o.Brood);
        std::vector<Judgement> judged(o.Brood);
        std::atomic<int> next{0};
        auto work = [&] {
            for (int i; (i = next.fetch_add(1)) < o.Brood;) {
                const uint64_t stream =
                    o.Seed * 0x9E3779B97F4A7C15ull ^ (uint64_t(generation) << 20) ^ uint64_t(i);
                children[i] = Mutate(best, o, Random(stream).Next());
                if (children[i])
                    judged[i] = Judge(*children[i], o.Cap, o.Aims);
            }
        };
        std::vector<std::thread> pool;
        for (int t = 1; t < workers; ++t)
            pool.emplace_back(work);
        work();
        for (std::thread& t : pool)
            t.join();
        int winner = -1;
        for (int i = 0; i < o.Brood; ++i) {
            positions += judged[i].States;
            if (children[i] && judged[i].Proven &&
                (winner < 0 || judged[i].Score > judged[winner].Score))
                winner = i;
        }
        // Equal scores are taken too: drifting over plateaus finds the way off them.
        if (winner >= 0 && (!bestJudgement.Proven || judged[winner].Score >= bestJudgement.Score)) {
            best = *children[winner];
            bestJudgement = judged[winner];
        }
        EvolveProgress p;
        p.Generation = generation + 1;
        p.Best = bestJudgement;
        p.Positions = positions;
        p.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (progress)
            progress(p, best);
    }
    // An object the best solution never touches rests on its zone as decoration: the level
    // goes without it and its zone, proven again.
    if (bestJudgement.Proven && bestJudgement.Idle > 0) {
        const Level full = best;
        best.Boxes.clear();
        best.Zones.clear();
        for (const Cell& z : full.Zones)
            if (!IdleOn(full, bestJudgement.Solution, z))
                best.Zones.push_back(z);
        for (const Cell& b : full.Boxes)
            if (!IdleOn(full, bestJudgement.Solution, b))
                best.Boxes.push_back(b);
        bestJudgement = Judge(best, o.Cap, o.Aims);
    }
    return {best, bestJudgement};
}

std::string FormatCheckpoint(const Level& best, const EvolveOptions& o, int done) {
    Level saved = best;
    saved.Title = "Checkpoint";
    saved.Notes = {EvolveCommand(o), "generations done: " + std::to_string(done)};
    return FormatLevel(saved);
}

std::optional<std::pair<Level, int>> ReadCheckpoint(const std::string& text,
                                                    const EvolveOptions& o) {
    const std::vector<Level> levels = ParseLevels(text);
    if (levels.size() != 1)
        return std::nullopt;
    const Level& l = levels[0];
    const std::string prefix = "levels evolve ", done = "generations done: ";
    if (l.Notes.size() != 2 || l.Notes[0].rfind(prefix, 0) || l.Notes[1].rfind(done, 0))
        return std::nullopt;
    std::vector<std::string> args;
    std::istringstream words(l.Notes[0].substr(prefix.size()));
    for (std::string w; words >> w;)
        args.push_back(w);
    std::optional<EvolveOptions> saved = ParseEvolveArguments(args);
    uint64_t generations = 0;
    if (!saved || !ParseCount(l.Notes[1].substr(done.size()), generations) ||
        generations > uint64_t(o.Generations))
        return std::nullopt;
    saved->Generations = o.Generations;
    if (EvolveCommand(*saved) != EvolveCommand(o) || !CheckLevel(l).empty())
        return std::nullopt;
    Level start = l;
    start.Title.clear();
    start.Notes.clear();
    return std::make_pair(start, static_cast<int>(generations));
}

std::string EvolveCommand(const EvolveOptions& o) {
    const EvolveOptions defaults;
    std::string command = "levels evolve --seed " + std::to_string(o.Seed) + " --boxes " +
                          std::to_string(o.Boxes) + " --size " + std::to_string(o.Width) + "x" +
                          std::to_string(o.Height) + " --generations " +
                          std::to_string(o.Generations);
    if (o.Cap != defaults.Cap)
        command += " --cap " + std::to_string(o.Cap);
    if (o.Brood != defaults.Brood)
        command += " --brood " + std::to_string(o.Brood);
    if (o.Aims != Aim{}) {
        command += " --aim " + std::to_string(o.Aims.Pushes) + "x" + std::to_string(o.Aims.Changes);
        if (o.Aims.Positions > 0)
            command += "x" + std::to_string(o.Aims.Positions);
    }
    if (!o.From.empty())
        command += " --from " + o.From;
    return command;
}

namespace {

// "PxC" or "PxCxN": pushes, object changes and positions aimed for.
bool ParseAim(const std::string& text, Aim& aim) {
    const size_t second = text.find('x', text.find('x') + 1);
    uint64_t pushes = 0, changes = 0, positions = 0;
    if (!ParseSize(text.substr(0, second), pushes, changes) || pushes > 10'000 || changes > 10'000)
        return false;
    if (second != std::string::npos &&
        (!ParseCount(text.substr(second + 1), positions) || positions == 0))
        return false;
    aim = {static_cast<int>(pushes), static_cast<int>(changes), static_cast<size_t>(positions)};
    return true;
}

} // namespace

std::optional<EvolveOptions> ParseEvolveArguments(const std::vector<std::string>& args) {
    EvolveOptions o;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return std::nullopt;
        const std::string& flag = args[i];
        const std::string& text = args[i + 1];
        uint64_t v = 0, w = 0, h = 0;
        if (flag == "--aim") {
            if (!ParseAim(text, o.Aims))
                return std::nullopt;
            continue;
        }
        if (flag == "--from") {
            // One word, so that the command reads back from a level's notes.
            if (text.empty() || text.find_first_of(" \t") != std::string::npos)
                return std::nullopt;
            o.From = text;
            continue;
        }
        if (flag == "--size") {
            if (!ParseSize(text, w, h) || w < 3 || h < 3 || w > 14 || h > 10)
                return std::nullopt;
            o.Width = static_cast<int>(w);
            o.Height = static_cast<int>(h);
            continue;
        }
        if (!ParseCount(text, v))
            return std::nullopt;
        if (flag == "--seed")
            o.Seed = v;
        else if (flag == "--boxes" && v >= 1 && v <= kMaxBoxes)
            o.Boxes = static_cast<int>(v);
        else if (flag == "--generations" && v <= 1'000'000)
            o.Generations = static_cast<int>(v);
        else if (flag == "--cap" && v >= 1)
            o.Cap = static_cast<size_t>(v);
        else if (flag == "--brood" && v >= 1 && v <= 1000)
            o.Brood = static_cast<int>(v);
        else
            return std::nullopt;
    }
    return o;
}

} // namespace levels
