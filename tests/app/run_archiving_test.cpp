// The run record and the archive as the program uses them: frames sent become the record's
// events, a save writes the record and registers once with a verifying audit row, an archive
// that fails leaves the save done and is said once, and what waited is archived at the next start.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/audit_values.h"
#include "app/run_archiving.h"
#include "app/save_facts.h"
#include "analysis/result_uncertainty.h"
#include "archive/archive_verification.h"
#include "archive/sha256.h"
#include "control/flow_setting.h"
#include "files/test_report.h"
#include "support/test_files.h"
#include "support/titration_header.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

using testing::TestFolder;

std::unique_ptr<Chromatogram> sampleTrace(int32_t n) {
    auto trace = std::make_unique<Chromatogram>();
    std::vector<float> signal(static_cast<size_t>(n)), temperature(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        signal[static_cast<size_t>(i)] = 0.01f * static_cast<float>(i % 97);
        temperature[static_cast<size_t>(i)] = 50.0f + 0.1f * static_cast<float>(i);
    }
    trace->replace(signal.data(), temperature.data(), n);
    return trace;
}

std::string saveTrace(const std::string& path, int32_t n) {
    EXPECT_TRUE(saveTraceFile(path, *sampleTrace(n)).ok);
    return path;
}

ArchiveSettings settingsIn(const TestFolder& folder) { return {folder.file("SAVE"), {}}; }

TEST(SentFramesTest, FramesBecomeTheRecordsGasFlowValveInjectorAndProgrammeEvents) {
    RunRecorder recorder;
    recorder.begin(1'000'000);
    SentFrames frames;
    FlowChannels flows{};
    const FlowSetResult flow = setChannelFlow(flows, 2, "40", 13);  // 氢气 on channel 2
    ASSERT_GT(flow.frame.length, 0u);
    frames.sent(recorder, flow.frame, 1'001'000, flows, 25.0);
    frames.sent(recorder, ValveFrame(3, true), 1'002'000, flows, 25.0);
    frames.sent(recorder, InjectorCommand(InjectorOperation::Adsorb, {{false, true, false, false}}), 1'003'000, flows,
                25.0);
    frames.sent(recorder, ProgramFrame(1, 300, 10, 5), 1'004'000, flows, 25.0);
    frames.sent(recorder, ProgramFrame(2, 700, 20, 30), 1'004'000, flows, 25.0);
    frames.sent(recorder, ProgramStartFrame(), 1'005'000, flows, 31.5);
    frames.sent(recorder, MeasureOn(), 1'006'000, flows, 32.0);  // says nothing about the run
    frames.sent(recorder, ProgramStopFrame(), 1'007'000, flows, 40.0);
    const RunRecord record = recorder.record(1'010'000, 50);

    std::vector<std::string> kinds;
    for (const RecordedEvent& e : record.events) {
        if (const auto* g = std::get_if<GasChange>(&e.data)) {
            EXPECT_EQ(g->channel, 2);
            EXPECT_EQ(g->gas, "氢气");
            kinds.push_back("gas");
        } else if (const auto* f = std::get_if<FlowChange>(&e.data)) {
            EXPECT_EQ(f->channel, 2);
            EXPECT_DOUBLE_EQ(f->flowMlMin, 40.0);
            kinds.push_back("flow");
        } else if (const auto* v = std::get_if<ValveChange>(&e.data)) {
            if (v->valve == 3 && v->on) kinds.push_back("valve");
        } else if (const auto* i = std::get_if<InjectorEvent>(&e.data)) {
            EXPECT_EQ(i->injector, 2);
            EXPECT_EQ(i->operation, "吸附");
            kinds.push_back("injector");
        } else if (const auto* s = std::get_if<FurnaceStart>(&e.data)) {
            EXPECT_DOUBLE_EQ(s->startC, 31.5);
            ASSERT_EQ(s->segments.size(), 2u);
            EXPECT_DOUBLE_EQ(s->segments[1].targetC, 700.0);
            EXPECT_DOUBLE_EQ(s->segments[1].rateCPerMin, 20.0);
            EXPECT_DOUBLE_EQ(s->segments[1].holdMin, 30.0);
            EXPECT_DOUBLE_EQ(e.timeS, 5.0);
            kinds.push_back("start");
        } else if (const auto* stop = std::get_if<FurnaceStop>(&e.data)) {
            EXPECT_EQ(stop->reason, "forced");
            kinds.push_back("stop");
        }
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"gas", "flow", "valve", "injector", "start", "stop"}));

    // The report's heating rate and upper temperature come from the programme that ran.
    TestReportHeader header;
    ASSERT_TRUE(prefillReportHeader(record, header));
    EXPECT_FLOAT_EQ(header.rampRateCPerMin, 20.0f);
    EXPECT_FLOAT_EQ(header.upperTempC, 700.0f);
}

TEST(RunArchivingTest, ATraceSaveWritesItsRecordAndRegistersOnceWithAVerifyingAuditRow) {
    TestFolder folder("run_archiving");
    EventLog events;
    RunArchiving archiving(events);
    EXPECT_FALSE(archiving.open(settingsIn(folder)).said());
    const std::string path = saveTrace(folder.file("run1.lne"), 500);

    const TraceArchiving saved = archiving.traceSaved(path, 500);
    ASSERT_TRUE(saved.record.ok) << saved.record.message;
    EXPECT_FALSE(saved.notice.said());
    EXPECT_EQ(saved.record.traceSha256, sha256OfFile(path).hex);
    const RunRecordRead record = readRunRecord(runRecordPathFor(path));
    ASSERT_TRUE(record.ok) << record.message;
    EXPECT_EQ(record.record.traceSha256, saved.record.traceSha256);
    EXPECT_EQ(record.record.tracePoints, 500);

    FindQuery query;
    query.traceSha256 = saved.record.traceSha256;
    const FindResult found = archiving.archive()->find(query);
    ASSERT_TRUE(found.ok) << found.message;
    ASSERT_EQ(found.saves.size(), 1u);
    EXPECT_EQ(found.saves[0].registration.kind, SaveKind::Trace);
    EXPECT_EQ(found.saves[0].registration.sha256, saved.record.traceSha256);

    // A report saved from it belongs to the trace; the chain and both files verify.
    const std::string report = folder.file("run1.txt");
    testing::writeBytes(report, "report");
    EXPECT_FALSE(archiving.saved({SaveKind::Report, report, "Pt/Al2O3", 0.1, "g"}).said());
    query.kind = SaveKind::Report;
    const FindResult reports = archiving.archive()->find(query);
    ASSERT_EQ(reports.saves.size(), 1u);
    EXPECT_EQ(reports.saves[0].registration.sample, "Pt/Al2O3");
    const ArchiveVerification verified = verifyArchive(*archiving.archive());
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.filesChecked, 2);
    EXPECT_EQ(events.size(), 0u);

    // Opened again, the trace brings its record back; an edit is audited with its hash.
    EXPECT_FALSE(archiving.traceLoaded(path).said());
    ASSERT_TRUE(archiving.loadedRecord().has_value());
    EXPECT_EQ(archiving.traceSha256(), saved.record.traceSha256);
    // A trace without a record loads as before: no record, nothing said.
    const std::string bare = saveTrace(folder.file("bare.lne"), 20);
    EXPECT_FALSE(archiving.traceLoaded(bare).said());
    EXPECT_FALSE(archiving.loadedRecord().has_value());
    EXPECT_EQ(events.size(), 0u);
}

TEST(RunArchivingTest, AnArchiveThatFailsLeavesTheSaveDoneSaysSoOnceAndCatchesUpAtTheNextStart) {
    TestFolder folder("run_archiving_fail");
    // Where the archive's file should be lies a folder: SQLite cannot open it.
    std::filesystem::create_directories(folder.path() / "SAVE" / "archive.sqlite");
    EventLog events;
    RunArchiving archiving(events);
    const ArchiveNotice opened = archiving.open(settingsIn(folder));
    EXPECT_TRUE(opened.said());
    const std::string first = saveTrace(folder.file("a.lne"), 100);
    const std::string second = saveTrace(folder.file("b.lne"), 200);
    const TraceArchiving a = archiving.traceSaved(first, 100);
    const TraceArchiving b = archiving.traceSaved(second, 200);
    EXPECT_TRUE(a.record.ok);
    EXPECT_TRUE(b.record.ok);
    EXPECT_FALSE(a.notice.said());  // said at opening already
    EXPECT_FALSE(b.notice.said());
    EXPECT_TRUE(archiving.failing());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.at(0).kind, EventKind::Archive);
    EXPECT_EQ(sha256OfFile(first).hex, a.record.traceSha256);

    // The next start finds the archive openable: both saves are archived then, once each.
    std::filesystem::remove(folder.path() / "SAVE" / "archive.sqlite");
    EventLog later;
    RunArchiving restarted(later);
    EXPECT_FALSE(restarted.open(settingsIn(folder)).said());
    FindQuery traces;
    traces.kind = SaveKind::Trace;
    const FindResult found = restarted.archive()->find(traces);
    ASSERT_TRUE(found.ok) << found.message;
    EXPECT_EQ(found.saves.size(), 2u);
    EXPECT_TRUE(verifyArchive(*restarted.archive()).ok());
}

TEST(RunArchivingTest, APanelExportIsAnEvaluationWithItsSettingsAndSettingRowsCarryOldAndNewValues) {
    TestFolder folder("run_archiving_panel");
    EventLog events;
    RunArchiving archiving(events);
    ASSERT_FALSE(archiving.open(settingsIn(folder)).said());

    const std::string csv = folder.file("峰解析.csv");
    testing::writeBytes(csv, "csv");
    const ResultLine lines[] = {{"累计吸附量", {12.5, 0.25, true}, "µmol"},
                                {"分散度", {0.4, 0.0, true}, ""},     // no u known
                                {"金属表面积", {0.0, 0.0, false}, "m²/g"}};  // no value: left out
    const PlausibilityFlag flags[] = {{CheckCode::TooFewPulses, "脉冲少于2个"}};
    const EvaluationParameter settings[] = {{"基线", "两点直线"}, {"最小突出度[mV]", "0.50"}};
    const SaveFacts facts = evaluationExportFacts(csv, lines, flags, settings);
    ASSERT_EQ(facts.results.size(), 2u);
    EXPECT_EQ(facts.results[0].name, "累计吸附量");
    EXPECT_DOUBLE_EQ(facts.results[0].uncertainty, 0.25);
    EXPECT_TRUE(std::isnan(facts.results[1].uncertainty));
    EXPECT_EQ(facts.results[1].flags, std::vector<std::string>{"too_few_pulses"});
    EXPECT_FALSE(archiving.saved(facts).said());
    FindQuery query;
    query.kind = SaveKind::Evaluation;
    const FindResult found = archiving.archive()->find(query);
    ASSERT_TRUE(found.ok) << found.message;
    ASSERT_EQ(found.saves.size(), 1u);
    EXPECT_EQ(found.saves[0].registration.parameters.value("基线", ""), "两点直线");
    EXPECT_EQ(found.saves[0].registration.sha256, sha256OfFile(csv).hex);

    // A gas sent on channel 2 and a calibration stored: each row says what it was and became.
    FlowChannels flows{};
    resetFlowChannels(&flows);
    const std::string flowsBefore = flowChannelsText(flows);
    ASSERT_GT(setChannelFlow(flows, 2, "40", 13).frame.length, 0u);  // 氢气
    const std::string flowsAfter = flowChannelsText(flows);
    EXPECT_NE(flowsAfter, flowsBefore);
    EXPECT_NE(flowsAfter.find("\"gas\":\"氢气\",\"setpoint_ml_min\":40"), std::string::npos) << flowsAfter;
    SurfaceReportRecord record{};
    const std::string calibrationBefore = calibrationText(record);
    record.calib_volume_ml = 0.5f;
    record.calib_area[0] = 4321;
    record.calib_count = 1;
    EXPECT_NE(calibrationText(record).find("\"areas\":[4321]"), std::string::npos) << calibrationText(record);
    EXPECT_FALSE(archiving.audit(audit_action::kSetting, "气体流量设定", flowsBefore, flowsAfter).said());
    EXPECT_FALSE(archiving.audit(audit_action::kSetting, "标定吸附量", calibrationBefore, calibrationText(record)).said());
    std::vector<AuditRow> rows;
    ASSERT_TRUE(archiving.archive()->readAudit({{}, {"气体流量设定", "标定吸附量"}}, [&](const AuditRow& row) {
        rows.push_back(row);
        return true;
    }, nullptr));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].entry.oldValue, flowsBefore);
    EXPECT_EQ(rows[1].entry.newValue, calibrationText(record));
    EXPECT_TRUE(verifyArchive(*archiving.archive()).ok());
}

TEST(SaveFactsTest, AReportsDispersionAndActiveAreaCarryTheirUncertaintyAndTheDispersionItsFlag) {
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    h = testing::handWorkedTitration();
    h.dispersion = 1.2f;  // above every metal atom: flagged
    h.activeAreaM2g = 3.5f;
    const StatedUncertainties stated;
    const SaveFacts facts = saveFactsFor(SavedFileKind::Report, "r.care", *report, stated);
    const WrittenTitrationUncertainty expected = writtenTitrationUncertainty(h, 0.0, 0.0, stated);
    ASSERT_TRUE(expected.dispersion.value.ok);
    const ResultValue* dispersion = nullptr;
    const ResultValue* area = nullptr;
    for (const ResultValue& r : facts.results) {
        if (r.name == "dispersion") dispersion = &r;
        if (r.name == "active_area") area = &r;
    }
    ASSERT_NE(dispersion, nullptr);
    ASSERT_NE(area, nullptr);
    // The written value keeps its own number and takes the recomputed result's relative u.
    EXPECT_FLOAT_EQ(static_cast<float>(dispersion->value), 1.2f);
    EXPECT_NEAR(dispersion->uncertainty / 1.2, expected.dispersion.value.relative(), 1e-9);
    EXPECT_NEAR(area->uncertainty / 3.5, expected.activeAreaM2g.value.relative(), 1e-9);
    EXPECT_EQ(dispersion->flags, std::vector<std::string>{"dispersion_above_100"});
    EXPECT_TRUE(area->flags.empty());
    // A database or an export is a file only.
    EXPECT_TRUE(saveFactsFor(SavedFileKind::Export, "x.csv", *report, stated).results.empty());
}

TEST(LaboratoryConnectionFile, WrittenAndReadBackAFailedWriteLeavesNothingBehind) {
    TestFolder folder("laboratory_connection");
    const std::string path = folder.file("Archive.ini");
    ASSERT_TRUE(writeLaboratoryConnection(path, "host=lab port=5432 dbname=archive"));
    EXPECT_EQ(readLaboratoryConnection(path), "host=lab port=5432 dbname=archive");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_FALSE(writeLaboratoryConnection(path, "host=lab\nlaboratory=evil"));
    EXPECT_EQ(readLaboratoryConnection(path), "host=lab port=5432 dbname=archive");
    // A folder where the file should be: the rename fails, the temporary file is removed.
    const std::string blocked = folder.file("Blocked.ini");
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_FALSE(writeLaboratoryConnection(blocked, "host=lab"));
    EXPECT_FALSE(std::filesystem::exists(blocked + ".tmp"));
}

}  // namespace
}  // namespace vespian
