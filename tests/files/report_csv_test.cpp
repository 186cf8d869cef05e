// The BET report's points as CSV.

#include "files/report_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vespian {
namespace {

TEST(BetPointsCsv, OneRowPerMeasuredPointAndEmptyCellsForMissingValues) {
    SurfaceReportRecord r{};
    r.point_count = 2;
    r.rel_pressure[0] = 0.05f;
    r.volume[0] = 12.5f;
    r.bet_y[0] = 0.004f;
    r.n2_flow[0] = 3.0f;
    r.he_flow[0] = 57.0f;
    r.rel_pressure[1] = 0.15f;
    r.volume[1] = 0.0f;
    r.bet_y[1] = std::numeric_limits<float>::infinity();  // a point without volume
    r.rel_pressure[2] = 0.25f;                              // beyond the count: not written
    EXPECT_EQ(betPointsCsv(r),
              "\xEF\xBB\xBF点,P/Po,体积[ml/g],1/(V(Po/P-1)),N2流量,He流量\r\n"
              "1,0.050000,12.500000,0.004000,3.00,57.00\r\n"
              "2,0.150000,0.000000,,0.00,0.00\r\n");
}

TEST(BetPointsCsv, ACountOutsideTheRecordIsHeldToIt) {
    SurfaceReportRecord r{};
    const auto rows = [&] {
        const std::string csv = betPointsCsv(r);
        return std::count(csv.begin(), csv.end(), '\n');
    };
    r.point_count = -3;
    EXPECT_EQ(rows(), 1);
    r.point_count = 1000;
    EXPECT_EQ(rows(), kBetMaxPoints + 1);
}

}  // namespace
}  // namespace vespian
