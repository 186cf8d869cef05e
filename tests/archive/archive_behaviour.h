#pragma once
// What every engine of the archive must do alike, run against SQLite and against PostgreSQL.

#include <gtest/gtest.h>

#include <set>

#include "archive/archive.h"
#include "archive/archive_verification.h"
#include "archive_fixtures.h"

namespace vespian::testing {

constexpr WallMs kDay = 86'400'000;
constexpr WallMs kJan1 = 1'767'225'600'000;  // 2026-01-01T00:00:00Z

// Three runs of two samples by two operators, each with an evaluation; then the finds.
inline void expectRegistrationAndFind(Archive& archive, const TestFolder& folder) {
    std::vector<Registration> traces;
    for (int i = 0; i < 3; ++i) {
        const std::string path = folder.file("run" + std::to_string(i) + ".lne");
        const std::string sha = saveSampleTrace(path, 200 + i, 0.01f * static_cast<float>(i + 1));
        Registration r = traceRegistration(path, sha, i == 1 ? "Pt/Al2O3 参比" : "CuO-ZnO", kJan1 + i * kDay);
        if (i == 2) {
            r.operatorName = "lab2";
            r.method = "TPR";
            r.instrument = "TRV-8800 #2";
        }
        const ArchiveOutcome saved = archive.registerSave(r);
        ASSERT_TRUE(saved.ok) << saved.message;
        ASSERT_TRUE(archive.registerSave(evaluationOf(r, "dispersion", 30.0 + 10 * i, r.savedMs + 1000)).ok);
        traces.push_back(r);
    }
    // The same save told twice (a retry after a lost answer) is archived once.
    ASSERT_TRUE(archive.registerSave(traces[0]).ok);

    const auto count = [&](FindQuery q) {
        const FindResult found = archive.find(q);
        EXPECT_TRUE(found.ok) << found.message;
        return found.saves.size();
    };
    FindQuery all;
    EXPECT_EQ(count(all), 6u);
    FindQuery traceKind;
    traceKind.kind = SaveKind::Trace;
    EXPECT_EQ(count(traceKind), 3u);

    FindQuery bySample = traceKind;
    bySample.sample = "CuO-ZnO";
    const FindResult cu = archive.find(bySample);
    ASSERT_EQ(cu.saves.size(), 2u);
    EXPECT_EQ(cu.saves[0].registration.id, traces[2].id);  // newest first
    const Registration& back = cu.saves[1].registration;
    EXPECT_EQ(back.path, traces[0].path);
    EXPECT_EQ(back.sha256, traces[0].sha256);
    EXPECT_EQ(back.instrumentSerial, "SN-0042");
    EXPECT_DOUBLE_EQ(back.sampleWeight, 0.1023);
    EXPECT_EQ(back.savedMs, traces[0].savedMs);

    FindQuery contains;
    contains.sampleContains = "参比";
    EXPECT_EQ(count(contains), 2u);
    FindQuery range;
    range.savedFrom = kJan1 + kDay;
    range.savedUntil = kJan1 + 2 * kDay;
    EXPECT_EQ(count(range), 2u);  // the second run and its evaluation
    FindQuery byMethod;
    byMethod.method = "TPR";
    EXPECT_EQ(count(byMethod), 2u);
    FindQuery byOperator;
    byOperator.operatorName = "lab1";
    EXPECT_EQ(count(byOperator), 4u);
    FindQuery byInstrument;
    byInstrument.instrument = "TRV-8800 #2";
    EXPECT_EQ(count(byInstrument), 2u);

    FindQuery byResult;
    byResult.result = ResultRange{"dispersion", 35.0, 45.0};
    const FindResult middle = archive.find(byResult);
    ASSERT_EQ(middle.saves.size(), 1u);
    const Registration& evaluation = middle.saves[0].registration;
    EXPECT_EQ(evaluation.kind, SaveKind::Evaluation);
    EXPECT_EQ(evaluation.traceSha256, traces[1].sha256);
    ASSERT_EQ(evaluation.results.size(), 1u);
    EXPECT_DOUBLE_EQ(evaluation.results[0].value, 40.0);
    EXPECT_DOUBLE_EQ(evaluation.results[0].uncertainty, 0.8);
    EXPECT_EQ(evaluation.results[0].flags, std::vector<std::string>{"baseline_offset"});
    EXPECT_EQ(evaluation.parameters["window"][1], 900);

    // Every save and evaluation left one audit row, chained, and the files are as archived.
    const ArchiveVerification verified = verifyArchive(archive);
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.rowsChecked, 6);
    EXPECT_EQ(verified.filesChecked, 3);
}

}  // namespace vespian::testing
