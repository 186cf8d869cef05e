// The run record beside a trace: what the recorder is told comes back from the file, the trace's
// hash is the file's, a damaged or foreign file is refused with the member named, and the report
// windows' prefill comes from the right programme.

#include <gtest/gtest.h>

#include <random>

#include "archive/run_recorder.h"
#include "archive/sha256.h"
#include "archive/wall_time.h"
#include "archive_fixtures.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::TestFolder;

constexpr WallMs kStart = 1'780'000'000'000;  // 2026-05-28

RunRecorder tpdRecorder() {
    RunRecorder recorder;
    recorder.setProgram("Vespian2002 test");
    recorder.setOperator("lab1");
    recorder.setInstrument({"TRV-8800", "SN-0042", false});
    recorder.gasChanged(kStart - 60'000, 1, "He");  // before the trace starts
    recorder.flowChanged(kStart - 60'000, 1, 30.0);
    recorder.valveChanged(kStart - 50'000, 2, true);
    recorder.begin(kStart);
    // Pretreatment in Ar to 500 ℃, then the test's ramp in He to 800 ℃.
    recorder.gasChanged(kStart + 10'000, 2, "Ar");
    recorder.flowChanged(kStart + 10'000, 2, 20.0);
    recorder.furnaceStarted(kStart + 20'000, 25.0, {{500, 20, 30}});
    recorder.furnaceStopped(kStart + 3'000'000, "operator");
    recorder.flowChanged(kStart + 3'100'000, 2, 0.0);
    recorder.injector(kStart + 3'200'000, 1, "吸附");
    recorder.furnaceStarted(kStart + 4'000'000, 50.0, {{300, 5, 1}, {800, 10, 30}, {600, 10, 1}});
    recorder.alarm(kStart + 5'000'000, 3);
    recorder.mark(kStart + 5'100'000, "峰1");
    recorder.valveChanged(kStart + 5'200'000, 2, false);
    return recorder;
}

TEST(RunRecordFile, WhatTheRecorderWasToldComesBackFromTheFileWithTheTracesHash) {
    TestFolder folder("run_record");
    const std::string trace = folder.file("run1.lne");
    const std::string sha = testing::saveSampleTrace(trace, 1000);
    RunRecorder recorder = tpdRecorder();
    recorder.methodStarted({{"format", 1}, {"name", "NH3-TPD"}});
    recorder.methodLog(kStart + 30'000, 1, "gas", {{"channel", 1}, {"flow_ml_min", 30}});
    recorder.methodEnded();

    const RunRecordWrite written = writeRunRecordBeside(trace, recorder.record(kStart + 6'000'000, 1000));
    ASSERT_TRUE(written.ok) << written.message;
    EXPECT_EQ(written.path, folder.file("run1.run.json"));
    EXPECT_EQ(written.traceSha256, sha);

    const RunRecordRead read = readRunRecord(written.path);
    ASSERT_TRUE(read.ok) << read.message;
    const RunRecord& r = read.record;
    EXPECT_EQ(r.traceFile, "run1.lne");
    EXPECT_EQ(r.traceSha256, sha);
    EXPECT_EQ(r.tracePoints, 1000);
    EXPECT_EQ(r.startedMs, kStart);
    EXPECT_EQ(r.endedMs, kStart + 6'000'000);
    EXPECT_EQ(r.instrument.serial, "SN-0042");
    EXPECT_EQ(r.operatorName, "lab1");
    // The state in force at the start is restated at 0 s, then every change follows at its time.
    ASSERT_EQ(r.events.size(), 13u);
    EXPECT_EQ(std::get<GasChange>(r.events[0].data).gas, "He");
    EXPECT_DOUBLE_EQ(r.events[0].timeS, 0.0);
    EXPECT_TRUE(std::get<ValveChange>(r.events[2].data).on);
    const auto& ramp = std::get<FurnaceStart>(r.events[9].data);
    EXPECT_DOUBLE_EQ(r.events[9].timeS, 4000.0);
    ASSERT_EQ(ramp.segments.size(), 3u);
    EXPECT_DOUBLE_EQ(ramp.segments[1].targetC, 800.0);
    EXPECT_EQ(std::get<AlarmEvent>(r.events[10].data).code, 3);
    EXPECT_EQ(std::get<MarkEvent>(r.events[11].data).name, "峰1");
    EXPECT_EQ(std::get<InjectorEvent>(r.events[8].data).operation, "吸附");
    ASSERT_TRUE(r.method.has_value());
    EXPECT_EQ((*r.method)["name"], "NH3-TPD");
    ASSERT_EQ(r.methodLog.size(), 1u);
    EXPECT_DOUBLE_EQ(r.methodLog[0].timeS, 30.0);
    EXPECT_EQ(r.methodLog[0].values["flow_ml_min"], 30);
    // The hash is the standard one, as sha256sum prints it.
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(RunRecordFile, BadFilesAreRefusedNamingWhatIsWrong) {
    RunRecord record = tpdRecorder().record(kStart + 6'000'000, 10);
    record.traceFile = "run1.lne";
    record.traceSha256 = sha256Hex("trace");
    const std::string good = runRecordText(record);
    ASSERT_TRUE(parseRunRecord(good).ok);

    // Cut anywhere short of the whole: never read, always said.
    for (size_t n = 0; n + 2 < good.size(); n += 7) {
        const RunRecordRead read = parseRunRecord(std::string_view(good).substr(0, n));
        ASSERT_FALSE(read.ok) << n;
        ASSERT_FALSE(read.message.empty());
    }
    EXPECT_NE(parseRunRecord(good.substr(0, good.size() / 2)).message.find("不完整"), std::string::npos);

    const auto changed = [&](const std::function<void(nlohmann::json&)>& change) {
        nlohmann::json j = nlohmann::json::parse(good);
        change(j);
        return parseRunRecord(j.dump());
    };
    const RunRecordRead wrongType = changed([](auto& j) { j["events"][4]["flow_ml_min"] = "thirty"; });
    EXPECT_FALSE(wrongType.ok);
    EXPECT_NE(wrongType.message.find("events[4].flow_ml_min"), std::string::npos) << wrongType.message;
    EXPECT_NE(changed([](auto& j) { j["trace"].erase("sha256"); }).message.find("trace.sha256"), std::string::npos);
    EXPECT_NE(changed([](auto& j) { j["started"] = "yesterday"; }).message.find("started"), std::string::npos);
    EXPECT_NE(changed([](auto& j) { j["events"][0]["type"] = "teleport"; }).message.find("teleport"),
              std::string::npos);
    EXPECT_NE(changed([](auto& j) { j["events"][0]["channel"] = 9; }).message.find("超出范围"), std::string::npos);
    const RunRecordRead newer = changed([](auto& j) { j["format"] = 2; });
    EXPECT_FALSE(newer.ok);
    EXPECT_NE(newer.message.find("格式版本2"), std::string::npos) << newer.message;
    EXPECT_FALSE(changed([](auto& j) { j["kind"] = "something-else"; }).ok);
    EXPECT_FALSE(parseRunRecord("[1, 2, 3]").ok);
    // Members a later program adds are no reason to refuse.
    EXPECT_TRUE(changed([](auto& j) { j["humidity_percent"] = 40; }).ok);

    // Bytes changed at random never get through unnoticed as something else than a record or a
    // refusal with a message, and never throw.
    std::mt19937 random(18);
    for (int i = 0; i < 400; ++i) {
        std::string damaged = good;
        damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
        const RunRecordRead read = parseRunRecord(damaged);
        EXPECT_TRUE(read.ok || !read.message.empty());
    }
}

TEST(RunRecordFile, TheReportPrefillComesFromTheTestsOwnProgrammeAndTheGasesFlowingThen) {
    const ReportPrefill prefill = tpdRecorder().prefill();
    ASSERT_TRUE(prefill.upperTempC && prefill.rampRateCPerMin);
    EXPECT_DOUBLE_EQ(*prefill.upperTempC, 800.0);
    EXPECT_DOUBLE_EQ(*prefill.rampRateCPerMin, 10.0);  // the segment that climbs to 800 ℃
    // Ar was turned down to 0 before the ramp; He still flowed.
    ASSERT_EQ(prefill.gases.size(), 1u);
    EXPECT_EQ(prefill.gases[0].gas, "He");
    EXPECT_EQ(prefill.gases[0].channel, 1);
    EXPECT_DOUBLE_EQ(prefill.gases[0].flowMlMin, 30.0);

    RunRecorder plain;
    plain.begin(kStart);
    EXPECT_FALSE(plain.prefill().upperTempC);  // no programme: nothing to prefill, nothing invented
}

TEST(RunRecordFile, AMethodStillRunningWhenTheTraceStartsAfreshKeepsItsWholeLog) {
    RunRecorder recorder;
    recorder.begin(kStart);
    recorder.methodStarted({{"name", "TPR"}});
    recorder.methodLog(kStart + 1000, 1, "pretreatment");
    recorder.begin(kStart + 600'000);  // the method's record step clears the trace
    recorder.methodLog(kStart + 601'000, 4, "ramp");
    RunRecord record = recorder.record(kStart + 900'000, 0);
    ASSERT_EQ(record.methodLog.size(), 2u);
    EXPECT_DOUBLE_EQ(record.methodLog[0].timeS, -599.0);
    recorder.methodEnded();
    recorder.begin(kStart + 1'000'000);
    EXPECT_FALSE(recorder.record(kStart + 1'000'001, 0).method.has_value());
}

TEST(WallTime, IsoTextRoundTripsAndNonsenseIsRefused) {
    const WallMs t = 1'780'000'000'123;
    EXPECT_EQ(isoTime(t, 8 * 3600), "2026-05-29T04:26:40.123+08:00");
    EXPECT_EQ(isoTime(-1, 0), "1969-12-31T23:59:59.999+00:00");
    for (int32_t offset : {0, 8 * 3600, -5 * 3600 - 1800}) EXPECT_EQ(parseIsoTime(isoTime(t, offset)), t);
    EXPECT_EQ(parseIsoTime("2026-05-28T20:26:40Z"), 1'780'000'000'000);
    EXPECT_EQ(parseIsoTime("2024-02-29T00:00:00Z").has_value(), true);
    for (const char* bad : {"2023-02-29T00:00:00Z", "2026-13-01T00:00:00Z", "2026-05-28T24:00:00Z",
                            "2026-05-28T20:26:40", "2026-05-28T20:26:40.Z", "2026-05-28T20:26:40+0800", ""}) {
        EXPECT_FALSE(parseIsoTime(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace vespian
