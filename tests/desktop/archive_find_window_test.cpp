// "档案查询": finds archived reports by sample, draws the trend of a result with the point beyond
// ±3σ flagged, opens the trace a found report belongs to, and fits a 1366×768 screen.

#include "archive/desktop/archive_find_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <memory>
#include <vector>

#include "app/run_archiving.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

using testing::TestFolder;

TEST(ArchiveFindWindowTest, FindsBySampleDrawsTheTrendWithItsOutlierAndOpensTheTrace) {
    TestFolder folder("archive_find_window");
    EventLog events;
    RunArchiving archiving(events);
    ASSERT_FALSE(archiving.open({folder.file("SAVE"), {}}).said());
    const std::string trace = folder.file("loop.lne");
    auto points = std::make_unique<Chromatogram>();
    std::vector<float> signal(200, 0.5f), temperature(200, 60.0f);
    points->replace(signal.data(), temperature.data(), 200);
    ASSERT_TRUE(saveTraceFile(trace, *points).ok);
    ASSERT_FALSE(archiving.traceSaved(trace, 200).notice.said());
    const std::vector<double> areas = {100, 101, 99, 100, 102, 98, 100, 101, 99, 100, 160};
    for (size_t i = 0; i < areas.size(); ++i) {
        const std::string path = folder.file("cal" + std::to_string(i) + ".care");
        testing::writeBytes(path, "calibration " + std::to_string(i));
        SaveFacts facts{SaveKind::Report, path, i % 2 == 0 ? "Pt-ref A" : "Pt-ref B", 0.1, "g"};
        facts.results.push_back({"pulse_area", areas[i], kUnknown, "×20µV·s", {}});
        ASSERT_FALSE(archiving.saved(facts).said());
    }
    SaveFacts other{SaveKind::Report, "", "Cu-7", 0.2, "g"};
    ASSERT_FALSE(archiving.saved(other).said());

    std::string opened;
    ArchiveFindWindow window(nullptr, *archiving.archive(), [&](const std::string& path) {
        opened = path;
        return true;
    });
    // Room for the frame and the desktop's panel on a 1366×768 screen.
    EXPECT_LE(window.minimumSizeHint().width(), 1366);
    EXPECT_LE(window.minimumSizeHint().height(), 700);
    window.resize(1360, 700);
    window.show();
    window.sampleField()->setText("Pt-ref");
    window.resultField()->setCurrentText("pulse_area");
    ASSERT_TRUE(window.find()) << window.statusText().toStdString();
    EXPECT_EQ(window.found().size(), areas.size());
    EXPECT_EQ(window.table()->rowCount(), static_cast<int>(areas.size()));
    ASSERT_EQ(window.trend().points.size(), areas.size());
    EXPECT_EQ(window.trend().outsideCount, 1);
    for (const TrendPoint& point : window.trend().points) EXPECT_EQ(point.outside, point.value == 160.0);
    EXPECT_TRUE(window.statusText().contains("超出"));
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/archive_find_window.png"));

    // A found report opens the trace it was made from.
    window.table()->selectRow(3);
    EXPECT_TRUE(window.openChosen());
    EXPECT_EQ(opened, trace);

    // A day that does not exist is refused with the field named.
    window.fromField()->setText("2026-02-30");
    EXPECT_FALSE(window.find());
    EXPECT_TRUE(window.statusText().contains("起始日期"));
}

}  // namespace
}  // namespace vespian
