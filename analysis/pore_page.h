#pragma once
// The drawn form of a pore report: its page in the BET list view (a double click on its row)
// and on the printer, with the distribution of its pore points as a plot of dV/dr against the
// pore size and as a table. The report record holds the point count; the points themselves are
// the first of the pore point table, which is kept with the database.

#include <cstdint>
#include <vector>

#include "analysis/pore.h"
#include "files/record_database_layout.h"
#include "platform/draw_list.h"

namespace vespian {

// A report of the report table is a pore report when none of its BET fields is written.
bool isPoreReport(const SurfaceReportRecord& record);

struct PoreDistributionRow {
    int32_t point = 0;  // in the pore point table, 0-based
    float relativePressure = 0.0f;
    float poreSize = 0.0f;   // Å
    float thickness = 0.0f;  // Å
    float adsorbed = 0.0f;   // ml
    float distribution = 0.0f;  // dV/dr, ml/Å
};

// The report's points in the order of their pore size (the smallest first).
std::vector<PoreDistributionRow> poreDistribution(const SurfaceReportRecord& record, const PoreTable& table);

// The page is 700 units wide and as high as its table needs, at least 1000.
inline constexpr int32_t kPorePageWidth = 700;
int32_t porePageHeight(int32_t rows);
// The plot's frame, in page units.
inline constexpr DrawBox kPorePageFrame{130, 160, 630, 460};

// The page with units scaled by sx horizontally and sy vertically (1, 1 on screen).
DrawList porePage(const SurfaceReportRecord& record, const PoreTable& table, double sx, double sy);

}  // namespace vespian
