// A recording killed in the middle of its run (a real SIGKILL, as a crash or a power cut would
// end it): its recovery journal restores every point that was older than the journal's update
// interval when it died.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/recovery_journal.h"

namespace vespian {
namespace {

using Clock = std::chrono::steady_clock;

TEST(RecoveryJournalKill, EveryPointOlderThanTheUpdateIntervalSurvivesAKill) {
    testing::TestFolder folder("journal_kill");
    const std::string journal = folder.file(kRecoveryJournalFileName);
    testing::ChildProcess recorder(VESPIAN_RECORDER, {"--simulator", "--speed", "10", "--seconds", "100000",
                                                      "--journal", journal, "--progress"});
    ASSERT_TRUE(recorder.started());

    // What the recorder had recorded, and when it said so.
    std::vector<std::pair<Clock::time_point, int32_t>> reports;
    const auto started = Clock::now();
    while (Clock::now() - started < std::chrono::milliseconds(7500)) {
        const std::optional<std::string> line = recorder.readLine(std::chrono::milliseconds(500));
        if (!line) continue;
        const std::string prefix = "已记录: ";
        if (line->rfind(prefix, 0) == 0) reports.emplace_back(Clock::now(), std::stoi(line->substr(prefix.size())));
    }
    const auto killed = Clock::now();
    recorder.kill();
    ASSERT_GE(reports.size(), 4u);

    // The update runs every kJournalFlushMs on the recorder's 100 ms tick, and writes what
    // was there when it ran: allow one tick on top.
    const auto oldEnough = killed - std::chrono::milliseconds(kJournalFlushMs + 100);
    int32_t mustSurvive = 0;
    for (const auto& [when, points] : reports) {
        if (when <= oldEnough) mustSurvive = std::max(mustSurvive, points);
    }
    ASSERT_GT(mustSurvive, 100);  // ten seconds a second: well over 100 points by then

    const JournalContents contents = inspectJournal(journal);
    ASSERT_TRUE(contents.readable) << contents.message;
    EXPECT_TRUE(contents.worthRestoring());
    Chromatogram restored;
    RecoveryJournal reopened(journal);
    const JournalRestore result = reopened.restore(restored);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_GE(result.points, mustSurvive);
    EXPECT_LE(result.points, reports.back().second + 50);
    // The simulated analyser's furnace stands at room temperature and its baseline is finite.
    for (int32_t i = 0; i < result.points; ++i) {
        ASSERT_TRUE(std::isfinite(restored.signalMv()[i])) << i;
        ASSERT_NEAR(restored.temperatureC()[i], 25.0f, 1.0f) << i;
    }
}

}  // namespace
}  // namespace vespian
