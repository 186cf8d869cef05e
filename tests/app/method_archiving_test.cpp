// A method run in the trace's run record and the archive: the method, its log and marks go into
// the record the run's own trace save writes beside it, and that save registers once.

#include "app/method_archiving.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "archive/archive_verification.h"
#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/instrument_readings.h"
#include "method/run_driver.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

class QuietSink : public RunDriverSink {
public:
    void send(const Command&) override {}
    void zeroSignal() override {}
    void entry(const RunLogEntry&) override {}
    void note(const std::string&) override {}
    void problem(const std::string& text) override { problems.push_back(text); }
    void pdf(const std::string&) override {}
    void prompt(const PromptMessage&) override {}
    std::vector<std::string> problems;
};

TEST(MethodArchivingTest, ARunsTraceSaveCarriesTheMethodItsLogAndMarksAndRegistersOnce) {
    testing::TestFolder folder("method_archiving");
    EventLog events;
    RunArchiving archiving(events);
    ASSERT_FALSE(archiving.open({folder.file("SAVE"), {}}).said());
    int said = 0;
    MethodArchiving observer(archiving, [&](const ArchiveNotice&) { ++said; }, false);

    Chromatogram trace;
    std::vector<float> signal(300, 0.5f), temperature(300, 25.0f);
    trace.replace(signal.data(), temperature.data(), 300);
    ControlState control{};
    FlowChannels flows{};
    RunDriverOptions options;
    options.dataFolder = folder.file("SAVE");
    options.pace = 0.0;
    options.observer = &observer;
    RunDriver driver(control, flows, trace, options);
    MethodFile method;
    method.name = "记录测试";
    method.sample.name = "Pt/Al2O3";
    method.sample.weightG = 0.1;
    method.steps = {MarkStep{"开始"}, SaveStep{false, {SaveItem::Trace}}};
    QuietSink sink;
    InstrumentReadings readings;
    driver.start(method, driver.input(readings), sink);
    for (int i = 0; i < 20 && driver.runner().active(); ++i) driver.tick(driver.input(readings), sink);
    ASSERT_FALSE(driver.runner().active());
    ASSERT_TRUE(sink.problems.empty()) << sink.problems.front();
    EXPECT_EQ(said, 0);

    const std::string tracePath = (std::filesystem::path(driver.runFolder()) / "other.lne").string();
    ASSERT_TRUE(std::filesystem::exists(tracePath)) << tracePath;
    const RunRecordRead record = readRunRecord(runRecordPathFor(tracePath));
    ASSERT_TRUE(record.ok) << record.message;
    ASSERT_TRUE(record.record.method.has_value());
    EXPECT_EQ((*record.record.method)["name"], "记录测试");
    EXPECT_FALSE(record.record.methodLog.empty());
    bool marked = false;
    for (const RecordedEvent& e : record.record.events) {
        if (const auto* m = std::get_if<MarkEvent>(&e.data)) marked = marked || m->name == "开始";
    }
    EXPECT_TRUE(marked);

    FindQuery query;
    query.traceSha256 = record.record.traceSha256;
    const FindResult found = archiving.archive()->find(query);
    ASSERT_TRUE(found.ok) << found.message;
    EXPECT_EQ(found.saves.size(), 1u);
    EXPECT_TRUE(verifyArchive(*archiving.archive()).ok());
}

}  // namespace
}  // namespace vespian
