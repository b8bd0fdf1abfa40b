// The difficulty report of a level collection: each level's figures by the push-optimal solver,
// the rank correlation of difficulty with the level number, and a plot of the set.
#pragma once

#include "platform/rtl/Pictures.h"
#include "puzzle/Level.h"

#include <string>
#include <vector>

namespace levels {

struct ReportRow {
    int Number = 0;
    std::string Title;
    int Objects = 0;
    bool Solved = false;
    bool Optimal = false;
    int Pushes = 0;
    int Moves = 0;
    int Changes = 0; // object changes
    int Lines = 0;   // object lines
    size_t States = 0;
    double Seconds = 0;
};

ReportRow MeasureLevel(const puzzle::Level& level, int number, size_t maxStates);

// Spearman's rank correlation; tied values share their mean rank. 0 for fewer than two values
// or when either side is constant.
double RankCorrelation(const std::vector<double>& a, const std::vector<double>& b);

// The rows as a Markdown table, then the rank correlations of the level number with object
// changes and with solver positions.
std::string FormatReport(const std::vector<ReportRow>& rows);

// Four panels across the set, one bar per level: optimal pushes; object changes and lines;
// solver positions on a log scale; objects. Text in DejaVu Sans; throws when no font is found.
rtl::TPixels PlotReport(const std::vector<ReportRow>& rows);

} // namespace levels
