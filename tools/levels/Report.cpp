#include "tools/levels/Report.h"

#include "platform/gdi/Gdi.h"
#include "puzzle/Measures.h"
#include "puzzle/Solver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <stdexcept>

namespace levels {

ReportRow MeasureLevel(const puzzle::Level& level, int number, size_t maxStates) {
    ReportRow row;
    row.Number = number;
    row.Title = level.Title;
    row.Objects = static_cast<int>(level.Boxes.size());
    puzzle::SolveOptions options;
    options.MaxStates = maxStates;
    const puzzle::Solution s = puzzle::Solve(level, options);
    row.Solved = s.Solved;
    row.Optimal = s.Optimal;
    row.States = s.States;
    row.Seconds = s.Seconds;
    if (s.Solved) {
        row.Pushes = s.Pushes;
        row.Moves = static_cast<int>(s.Moves.size());
        row.Changes = s.BoxChanges;
        row.Lines = puzzle::ObjectLines(level, s.Moves);
    }
    return row;
}

namespace {

std::vector<double> Ranks(const std::vector<double>& v) {
    std::vector<size_t> order(v.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return v[a] < v[b]; });
    std::vector<double> rank(v.size());
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        while (j + 1 < order.size() && v[order[j + 1]] == v[order[i]])
            ++j;
        for (size_t k = i; k <= j; ++k)
            rank[order[k]] = (static_cast<double>(i) + static_cast<double>(j)) / 2 + 1;
        i = j + 1;
    }
    return rank;
}

std::string Thousands(size_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

double RankCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size() || a.size() < 2)
        return 0;
    const std::vector<double> ra = Ranks(a), rb = Ranks(b);
    const double n = static_cast<double>(a.size());
    const double mean = (n + 1) / 2;
    double cov = 0, va = 0, vb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        cov += (ra[i] - mean) * (rb[i] - mean);
        va += (ra[i] - mean) * (ra[i] - mean);
        vb += (rb[i] - mean) * (rb[i] - mean);
    }
    return va == 0 || vb == 0 ? 0 : cov / std::sqrt(va * vb);
}

std::string FormatReport(const std::vector<ReportRow>& rows) {
    std::string out = "| Level | Title | Objects | Pushes | Moves | Object changes | Object lines "
                      "| Positions | Seconds |\n|---:|---|---:|---:|---:|---:|---:|---:|---:|\n";
    std::vector<double> number, changes, states;
    char line[512];
    for (const ReportRow& r : rows) {
        const std::string pushes = !r.Solved   ? "unsolved"
                                   : r.Optimal ? std::to_string(r.Pushes)
                                               : std::to_string(r.Pushes) + " (not proven)";
        std::snprintf(line, sizeof line, "| %d | %s | %d | %s | %d | %d | %d | %s | %.2f |\n",
                      r.Number, r.Title.c_str(), r.Objects, pushes.c_str(), r.Moves, r.Changes,
                      r.Lines, Thousands(r.States).c_str(), r.Seconds);
        out += line;
        number.push_back(r.Number);
        changes.push_back(r.Changes);
        states.push_back(static_cast<double>(r.States));
    }
    std::snprintf(line, sizeof line,
                  "\nRank correlation with the level number: object changes %.3f, solver "
                  "positions %.3f\n",
                  RankCorrelation(number, changes), RankCorrelation(number, states));
    return out + line;
}

namespace {

constexpr int kWidth = 1100, kPanel = 190, kTop = 40, kLeft = 90, kRight = 20;
constexpr uint32_t kPaper = 0xFFFFFF, kInk = 0x202020, kGrid = 0xDDDDDD;

class Canvas {
public:
    explicit Canvas(int height) : bitmap_(kWidth, height), dc_(bitmap_) {
        std::fill(bitmap_.Pixels.begin(), bitmap_.Pixels.end(), kPaper);
        gdi::LOGFONT lf;
        lf.Height = -13;
        lf.FaceName = "DejaVu Sans";
        font_ = gdi::Font::Create(lf);
        if (!font_)
            throw std::runtime_error("no font for the plot's text (DejaVu Sans)");
        dc_.SelectFont(font_.get());
        dc_.SetBkColor(kPaper);
    }
    void Fill(int x0, int y0, int x1, int y1, uint32_t rgb) {
        for (int y = std::max(0, y0); y < std::min(bitmap_.Height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(bitmap_.Width, x1); ++x)
                bitmap_.Pixels[static_cast<size_t>(y) * bitmap_.Width + x] = rgb;
    }
    // Text with its left (align 0), centre (1) or right end (2) at x.
    void Text(int x, int y, const std::string& text, uint32_t rgb, int align = 0) {
        dc_.SetTextColor(rgb);
        const int w = dc_.GetTextExtent(text).cx;
        dc_.TextOut(x - align * w / 2, y, text);
    }
    rtl::TPixels Pixels() const {
        rtl::TPixels p;
        p.Width = bitmap_.Width;
        p.Height = bitmap_.Height;
        for (uint32_t rgb : bitmap_.Pixels)
            p.Argb.push_back(0xFF000000u | rgb);
        return p;
    }

private:
    gdi::Bitmap32 bitmap_;
    gdi::DC dc_;
    std::unique_ptr<gdi::Font> font_;
};

struct Series {
    std::string Name;
    uint32_t Colour;
    std::vector<double> Values;
};

// One panel: bars side by side per level, a scale at the left, level numbers below.
void Panel(Canvas& c, int top, const std::string& title, const std::vector<Series>& series,
           bool logScale) {
    const int height = kPanel - 50, bottom = top + 24 + height;
    const size_t n = series.front().Values.size();
    double top_value = 1;
    for (const Series& s : series)
        for (double v : s.Values)
            top_value = std::max(top_value, v);
    std::vector<double> ticks;
    if (logScale) {
        top_value = std::pow(10, std::ceil(std::log10(top_value)));
        for (double t = 1; t <= top_value; t *= 10)
            ticks.push_back(t);
    } else {
        const double step = std::pow(10, std::floor(std::log10(top_value)));
        const double nice = top_value / step > 5   ? step * 2
                            : top_value / step > 2 ? step
                                                   : step / 2;
        top_value = std::ceil(top_value / nice) * nice;
        for (double t = 0; t <= top_value + 1e-9; t += nice)
            ticks.push_back(t);
    }
    auto y = [&](double v) {
        const double f =
            logScale ? std::log10(std::max(v, 1.0)) / std::log10(top_value) : v / top_value;
        return bottom - static_cast<int>(std::lround(f * height));
    };
    c.Text(kLeft, top, title, kInk);
    int legend = kWidth - kRight;
    for (auto s = series.rbegin(); s != series.rend(); ++s) {
        legend -= 130;
        c.Fill(legend, top + 3, legend + 12, top + 15, s->Colour);
        c.Text(legend + 18, top, s->Name, kInk);
    }
    for (double t : ticks) {
        c.Fill(kLeft, y(t), kWidth - kRight, y(t) + 1, kGrid);
        char label[32];
        if (logScale)
            std::snprintf(label, sizeof label, "1e%d",
                          static_cast<int>(std::lround(std::log10(t))));
        else
            std::snprintf(label, sizeof label, "%g", t);
        c.Text(kLeft - 8, y(t) - 8, label, kInk, 2);
    }
    const double slot = static_cast<double>(kWidth - kLeft - kRight) / static_cast<double>(n);
    const int bar = std::max(1, static_cast<int>(slot * 0.8) / static_cast<int>(series.size()));
    for (size_t i = 0; i < n; ++i) {
        const int x0 = kLeft + static_cast<int>(slot * static_cast<double>(i) + slot * 0.1);
        for (size_t s = 0; s < series.size(); ++s)
            c.Fill(x0 + static_cast<int>(s) * bar, y(series[s].Values[i]),
                   x0 + static_cast<int>(s + 1) * bar, bottom, series[s].Colour);
        if ((i + 1) % 5 == 0 || i == 0)
            c.Text(x0 + static_cast<int>(slot * 0.4), bottom + 4, std::to_string(i + 1), kInk, 1);
    }
    c.Fill(kLeft, bottom, kWidth - kRight, bottom + 1, kInk);
}

} // namespace

rtl::TPixels PlotReport(const std::vector<ReportRow>& rows) {
    if (rows.empty())
        throw std::invalid_argument("no levels to plot");
    Canvas c(kTop + 4 * kPanel + 10);
    c.Text(kWidth / 2, 10, "Difficulty by level number (push-optimal solver)", kInk, 1);
    auto values = [&](auto field) {
        std::vector<double> v;
        for (const ReportRow& r : rows)
            v.push_back(static_cast<double>(field(r)));
        return v;
    };
    Panel(c, kTop, "Optimal pushes and moves",
          {{"pushes", 0x2E6FD8, values([](const ReportRow& r) { return r.Pushes; })},
           {"moves", 0x9DBBEA, values([](const ReportRow& r) { return r.Moves; })}},
          false);
    Panel(c, kTop + kPanel, "Object changes and object lines",
          {{"changes", 0xD8512E, values([](const ReportRow& r) { return r.Changes; })},
           {"lines", 0xEDB29F, values([](const ReportRow& r) { return r.Lines; })}},
          false);
    Panel(c, kTop + 2 * kPanel, "Solver positions (log scale)",
          {{"positions", 0x3C9A4A, values([](const ReportRow& r) { return r.States; })}}, true);
    Panel(c, kTop + 3 * kPanel, "Objects",
          {{"objects", 0x7A4FB0, values([](const ReportRow& r) { return r.Objects; })}}, false);
    return c.Pixels();
}

} // namespace levels
