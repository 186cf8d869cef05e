// Which surface-area report the least-squares BET panel opens from the menu.

#include <gtest/gtest.h>

#include <memory>

#include "analysis/bet_record_choice.h"

namespace vespian {
namespace {

constexpr int32_t kSamplesList = 1;
constexpr int32_t kBetList = 2;

std::unique_ptr<ReportTable> reportsWithPoints(std::initializer_list<int32_t> pointCounts) {
    auto reports = std::make_unique<ReportTable>();
    for (int32_t points : pointCounts) reports->records[reports->count++].point_count = points;
    return reports;
}

TEST(BetRecordChoice, TheListedReportComesFirstWhenItHasALineOfPoints) {
    auto reports = reportsWithPoints({3, 5, 1, 4});
    EXPECT_EQ(betRecordForEvaluation(*reports, 1), 1);
    // One point makes no line: the newest report with two or more is taken instead.
    EXPECT_EQ(betRecordForEvaluation(*reports, 2), 3);
    EXPECT_EQ(betRecordForEvaluation(*reports, -1), 3);
    // A row past the table's records (a stale selection) is not read.
    EXPECT_EQ(betRecordForEvaluation(*reports, 4), 3);
    auto none = reportsWithPoints({1, 0, -2});
    EXPECT_EQ(betRecordForEvaluation(*none, 0), -1);
}

TEST(BetRecordChoice, TheShownPageOrTheNewestTickedReportIsTheOnePointedAt) {
    auto reports = reportsWithPoints({3, 3, 3, 3});
    // Nothing shown and nothing ticked.
    EXPECT_EQ(listedBetRecord(*reports, kBetList, 0, 2), -1);
    // Ticks in the BET list: the newest ticked report.
    reports->records[0].selected = 1;
    reports->records[2].selected = 1;
    EXPECT_EQ(listedBetRecord(*reports, kBetList, 0, -1), 2);
    // A report's page shown: that report, ticked or not.
    EXPECT_EQ(listedBetRecord(*reports, kBetList, 1, 1), 1);
    // The page belongs to the BET list only; another list keeps the ticks' answer.
    EXPECT_EQ(listedBetRecord(*reports, kSamplesList, 1, 1), 2);
    // A page row beyond the records is no page.
    EXPECT_EQ(listedBetRecord(*reports, kBetList, 1, 7), 2);
}

}  // namespace
}  // namespace vespian
