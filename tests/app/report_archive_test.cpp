// vespian-report's archive modes: --verify-audit names the file that no longer matches and exits
// non-zero; --archive DB --find answers the matching saves (and a result's trend) as JSON.

#include "app/report_archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/report_options.h"
#include "app/run_archiving.h"
#include "archive/sha256.h"
#include "support/test_files.h"
#include "tests/app/report_tool_run.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

using testing::TestFolder;

// An archive with one trace and three reports of it: two of sample "Pt-ref", one of "Cu".
struct Archived {
    explicit Archived(const TestFolder& folder) : archiving(events) {
        EXPECT_FALSE(archiving.open({folder.file("SAVE"), {}}).said());
        db = folder.file("SAVE/archive.sqlite");
        trace = folder.file("run.lne");
        auto points = std::make_unique<Chromatogram>();
        std::vector<float> signal(300, 1.5f), temperature(300, 80.0f);
        points->replace(signal.data(), temperature.data(), 300);
        EXPECT_TRUE(saveTraceFile(trace, *points).ok);
        EXPECT_FALSE(archiving.traceSaved(trace, 300).notice.said());
        const std::vector<std::pair<std::string, double>> reports = {{"Pt-ref", 101.0}, {"Cu", 55.0}, {"Pt-ref", 99.0}};
        for (size_t i = 0; i < reports.size(); ++i) {
            const std::string path = folder.file("r" + std::to_string(i) + ".care");
            testing::writeBytes(path, "report " + std::to_string(i));
            SaveFacts facts{SaveKind::Report, path, reports[i].first, 0.1, "g"};
            facts.results.push_back({"pulse_area", reports[i].second, kUnknown, "×20µV·s", {}});
            EXPECT_FALSE(archiving.saved(facts).said());
        }
    }
    EventLog events;
    RunArchiving archiving;
    std::string db, trace;
};

nlohmann::json parsed(const testing::ToolRun& run) {
    nlohmann::json answer = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(answer.is_discarded()) << run.out;
    return answer;
}

TEST(ReportArchiveTest, VerifyAuditPassesAnUntouchedArchiveAndNamesAChangedFile) {
    TestFolder folder("report_archive_verify");
    Archived a(folder);
    testing::ToolRun run = testing::runTool({"--verify-audit", a.db});
    EXPECT_EQ(run.code, kReportOk) << run.err;
    nlohmann::json answer = parsed(run);
    EXPECT_TRUE(answer["ok"].get<bool>());
    EXPECT_EQ(answer["files_checked"].get<int>(), 4);

    // One byte of the trace changed afterwards.
    std::string bytes = testing::readBytes(a.trace);
    bytes[10] = static_cast<char>(bytes[10] ^ 0x01);
    testing::writeBytes(a.trace, bytes);
    run = testing::runTool({"--verify-audit", a.db});
    EXPECT_EQ(run.code, kArchiveMismatch);
    answer = parsed(run);
    EXPECT_FALSE(answer["ok"].get<bool>());
    EXPECT_TRUE(answer["first_bad_row"].is_null());
    ASSERT_EQ(answer["files"].size(), 1u);
    EXPECT_EQ(answer["files"][0]["path"].get<std::string>(), a.trace);
    EXPECT_EQ(answer["files"][0]["found_sha256"].get<std::string>(), sha256OfFile(a.trace).hex);
    EXPECT_NE(run.err.find(a.trace), std::string::npos);

    // An archive that is not there is refused, never created.
    run = testing::runTool({"--verify-audit", folder.file("none.sqlite")});
    EXPECT_EQ(run.code, kReportInputRefused);
    EXPECT_FALSE(std::filesystem::exists(folder.file("none.sqlite")));
}

TEST(ReportArchiveTest, FindAnswersTheMatchingSavesAndTheirTrendAsJson) {
    TestFolder folder("report_archive_find");
    Archived a(folder);
    testing::ToolRun run =
        testing::runTool({"--archive", a.db, "--find", "sample=Pt-ref", "kind=report", "--trend", "pulse_area"});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    nlohmann::json answer = parsed(run);
    ASSERT_EQ(answer["count"].get<int>(), 2);
    for (const auto& save : answer["saves"]) EXPECT_EQ(save["sample"].get<std::string>(), "Pt-ref");
    EXPECT_EQ(answer["trend"]["points"].size(), 2u);
    EXPECT_DOUBLE_EQ(answer["trend"]["mean"].get<double>(), 100.0);

    // A result range, and a time range that ends before everything.
    run = testing::runTool({"--archive", a.db, "--find", "result=pulse_area", "min=60"});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    EXPECT_EQ(parsed(run)["count"].get<int>(), 2);
    run = testing::runTool({"--archive", a.db, "--find", "to=2000-01-01"});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    EXPECT_EQ(parsed(run)["count"].get<int>(), 0);

    // Terms it cannot use are the command line's fault.
    EXPECT_EQ(testing::runTool({"--archive", a.db, "--find", "colour=red"}).code, kReportUsage);
    EXPECT_EQ(testing::runTool({"--archive", a.db, "--find", "min=1"}).code, kReportUsage);
    EXPECT_EQ(testing::runTool({"--archive", a.db, "--find", "from=yesterday"}).code, kReportUsage);
}

}  // namespace
}  // namespace vespian
