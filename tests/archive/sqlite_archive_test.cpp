// The SQLite archive on the instrument PC: registration and find, migration of an older archive
// and refusal of a newer one, tampering named exactly, a kill in the middle of a registration,
// and a full disk under the archive.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "archive/archive_opening.h"
#include "archive/archive_schema.h"
#include "archive/archive_verification.h"
#include "archive/sql_archive.h"
#include "archive/sqlite_connection.h"
#include "archive_behaviour.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::ForkedWorker;
using testing::kJan1;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

std::string sqliteValue(const std::string& path, const std::string& sql) {
    auto opened = SqliteConnection::open(path, false);
    EXPECT_TRUE(opened.connection) << opened.message;
    const SqlResult r = opened.connection->run(sql);
    EXPECT_TRUE(r.ok) << r.error;
    return r.rows.empty() ? std::string() : sqlText(r.rows[0][0]);
}

TEST(SqliteArchive, RegistersEverySaveOnceAndFindsItByEachCriterion) {
    TestFolder folder("sqlite_archive");
    const std::string path = folder.file("SAVE/archive.sqlite");
    {
        OpenedArchive opened = openSqliteArchive(path);
        ASSERT_TRUE(opened.archive) << opened.message;
        EXPECT_EQ(opened.archive->schemaVersion(), kArchiveSchemaVersion);
        testing::expectRegistrationAndFind(*opened.archive, folder);
    }
    EXPECT_EQ(sqliteValue(path, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(sqliteValue(path, "PRAGMA user_version"), std::to_string(kArchiveSchemaVersion));
    // The finds use the indexes, not a scan of every save.
    auto opened = SqliteConnection::open(path, false);
    const SqlResult rows = opened.connection->run(
        "EXPLAIN QUERY PLAN SELECT seq FROM registrations r WHERE sample = ? ORDER BY saved_ms DESC", {"x"});
    ASSERT_FALSE(rows.rows.empty());
    EXPECT_NE(sqlText(rows.rows[0][3]).find("registrations_by_sample"), std::string::npos) << sqlText(rows.rows[0][3]);
}

TEST(SqliteArchive, AnArchiveOfThePreviousVersionIsMigratedAndANewerOneRefusedUntouched) {
    TestFolder folder("sqlite_migration");
    const std::string old = folder.file("old.sqlite");
    {
        // The first version's tables, as an archive of that program left them, with one save.
        auto c = SqliteConnection::open(old).connection;
        for (const std::string& s : archiveSchemaSteps().front().sqlite) ASSERT_TRUE(c->run(s).ok) << s;
        ASSERT_TRUE(c->run("PRAGMA user_version = 1").ok);
        ASSERT_TRUE(c->run("INSERT INTO registrations (id, kind, path, sha256, trace_sha256, sample, sample_weight,"
                           " weight_unit, method, operator, instrument, started_ms, ended_ms, saved_ms, parameters)"
                           " VALUES ('old-1', 'trace', '/data/a.lne', ?, ?, 'S1', 0.5, 'g', '', 'lab0', 'TRV-8800',"
                           " 0, 0, ?, '{}')",
                           {std::string(64, 'a'), std::string(64, 'a'), kJan1})
                        .ok);
        AuditEntry e{"old-1", kJan1, "lab0", audit_action::kOpen, "/data/a.lne", "", "", "", "{}"};
        ASSERT_TRUE(c->run("INSERT INTO audit VALUES (1, 'old-1', ?, 'lab0', 'open', '/data/a.lne', '', '', '', '{}', ?, ?)",
                           {kJan1, std::string(kAuditGenesisHash), auditRowHash(1, e, kAuditGenesisHash)})
                        .ok);
    }
    {
        OpenedArchive opened = openSqliteArchive(old);
        ASSERT_TRUE(opened.archive) << opened.message;
        EXPECT_EQ(opened.archive->schemaVersion(), 2);
        FindQuery q;
        q.sample = "S1";
        const FindResult found = opened.archive->find(q);
        ASSERT_EQ(found.saves.size(), 1u);
        EXPECT_EQ(found.saves[0].registration.operatorName, "lab0");
        EXPECT_EQ(found.saves[0].registration.instrumentSerial, "");
        Registration later = testing::traceRegistration("", "", "S1", kJan1 + 5000);
        ASSERT_TRUE(opened.archive->registerSave(later).ok);
        // The chain goes on from the old row.
        const ArchiveVerification verified = verifyArchive(*opened.archive, false);
        EXPECT_TRUE(verified.ok()) << verified.summary();
        EXPECT_EQ(verified.rowsChecked, 2);
    }

    const std::string newer = folder.file("newer.sqlite");
    {
        auto c = SqliteConnection::open(newer).connection;
        ASSERT_TRUE(c->run("CREATE TABLE future (x)").ok);
        ASSERT_TRUE(c->run("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion + 1)).ok);
    }
    const std::string before = readBytes(newer);
    OpenedArchive refused = openSqliteArchive(newer);
    EXPECT_FALSE(refused.archive);
    EXPECT_NE(refused.message.find("版本(" + std::to_string(kArchiveSchemaVersion + 1) + ")"), std::string::npos)
        << refused.message;
    EXPECT_EQ(readBytes(newer), before);
    EXPECT_FALSE(fs::exists(newer + "-wal"));

    // The program still keeps every registration meanwhile, beside the archive it cannot use.
    fs::rename(newer, folder.file("archive.sqlite"));
    const ArchiveOpening opening = openArchive({folder.path().string(), {}});
    ASSERT_TRUE(opening.archive);
    EXPECT_FALSE(opening.ok);
    const ArchiveOutcome kept = opening.archive->registerSave(testing::traceRegistration("", "", "S2", kJan1));
    EXPECT_FALSE(kept.ok);
    EXPECT_TRUE(kept.queued);
    EXPECT_EQ(opening.archive->waiting(), 1);
    EXPECT_EQ(readBytes(folder.file("archive.sqlite")), before);
}

TEST(ArchiveAudit, OneChangedByteInOneRowAndInOneFileIsNamedExactly) {
    TestFolder folder("audit_tamper");
    const std::string path = folder.file("archive.sqlite");
    std::vector<std::string> traces;
    {
        OpenedArchive opened = openSqliteArchive(path);
        ASSERT_TRUE(opened.archive);
        for (int i = 0; i < 4; ++i) {
            traces.push_back(folder.file("t" + std::to_string(i) + ".lne"));
            const std::string sha = testing::saveSampleTrace(traces.back(), 300 + i);
            ASSERT_TRUE(opened.archive->registerSave(testing::traceRegistration(traces.back(), sha, "S", kJan1 + i)).ok);
            AuditEntry setting{newUniqueId(), kJan1 + i, "lab1", audit_action::kSetting, "识峰参数", "",
                               "threshold=100", "threshold=1" + std::to_string(i) + "7-unique", "{}"};
            ASSERT_TRUE(opened.archive->recordAudit(setting).ok);
        }
        const ArchiveVerification untouched = verifyArchive(*opened.archive);
        EXPECT_TRUE(untouched.ok()) << untouched.summary();
        EXPECT_EQ(untouched.rowsChecked, 8);
        // The trail only grows: the archive's own connection cannot change a row either.
        EXPECT_FALSE(opened.archive->connection().run("UPDATE audit SET who = 'x' WHERE seq = 2").ok);
        EXPECT_FALSE(opened.archive->connection().run("DELETE FROM audit WHERE seq = 8").ok);
    }
    // One byte of row 6 (the third setting) in the database file, one byte of the third trace.
    std::string bytes = readBytes(path);
    const size_t at = bytes.find("threshold=127-unique");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find("threshold=127-unique", at + 1), std::string::npos);
    bytes[at + 10] = '9';
    writeBytes(path, bytes);
    std::string trace = readBytes(traces[2]);
    trace[trace.size() / 2] ^= 0x01;
    writeBytes(traces[2], trace);

    OpenedArchive reopened = openSqliteArchive(path);
    ASSERT_TRUE(reopened.archive);
    const ArchiveVerification verified = verifyArchive(*reopened.archive);
    EXPECT_FALSE(verified.ok());
    ASSERT_TRUE(verified.firstBadRow.has_value());
    EXPECT_EQ(*verified.firstBadRow, 6);
    ASSERT_EQ(verified.files.size(), 1u);
    EXPECT_EQ(verified.files[0].path, traces[2]);
    EXPECT_FALSE(verified.files[0].missing);
    EXPECT_NE(verified.summary().find("第6行"), std::string::npos) << verified.summary();
}

TEST(SqliteArchive, AKillInTheMiddleOfRegistrationsLeavesTheArchiveReadableAndEverySavedFileWhole) {
    TestFolder folder("sqlite_kill");
    const std::string path = folder.file("archive.sqlite");
    ForkedWorker worker([&](int progress) {
        OpenedArchive opened = openSqliteArchive(path);
        if (!opened.archive) return 2;
        const std::string bulk(60'000, 'p');  // big parameters: the registration takes its time
        for (int i = 0;; ++i) {
            const std::string trace = folder.file("k" + std::to_string(i) + ".lne");
            const std::string sha = testing::saveSampleTrace(trace, 500);
            Registration r = testing::traceRegistration(trace, sha, "S" + std::to_string(i), kJan1 + i);
            for (int k = 0; k < 20; ++k) r.results.push_back({"r" + std::to_string(k), 1.0 * k, 0.1, "u", {}});
            r.parameters = {{"bulk", bulk}};
            if (!opened.archive->registerSave(r).ok) return 3;
            ForkedWorker::tell(progress);
        }
    });
    ASSERT_EQ(worker.waitForLines(5), 5);
    worker.kill();

    EXPECT_EQ(sqliteValue(path, "PRAGMA integrity_check"), "ok");
    OpenedArchive opened = openSqliteArchive(path);
    ASSERT_TRUE(opened.archive) << opened.message;
    FindQuery all;
    const FindResult found = opened.archive->find(all);
    ASSERT_TRUE(found.ok);
    EXPECT_GE(found.saves.size(), 5u);
    for (const ArchivedSave& save : found.saves) {
        EXPECT_EQ(save.registration.results.size(), 20u);  // whole registrations only
    }
    const ArchiveVerification verified = verifyArchive(*opened.archive);
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.rowsChecked, static_cast<int64_t>(found.saves.size()));
    // Every trace the child saved, registered or not, is a whole trace file.
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        if (entry.path().extension() != ".lne") continue;
        auto trace = std::make_unique<Chromatogram>();
        EXPECT_TRUE(loadTraceFile(entry.path().string(), *trace).ok) << entry.path();
    }
}

TEST(SqliteArchive, AFullDiskLeavesThePrimarySaveDoneSaysSoAndTheRegistrationIsArchivedAtTheNextOpening) {
    TestFolder folder("sqlite_full");
    const std::string path = folder.file("archive.sqlite");
    {
        OpenedArchive opened = openSqliteArchive(path);
        ASSERT_TRUE(opened.archive);
        ASSERT_TRUE(opened.archive->registerSave(testing::traceRegistration("", "", "earlier", kJan1)).ok);
    }
    const std::string trace = folder.file("full.lne");
    ForkedWorker worker([&](int progress) {
        // Files of this process may grow to 48 KiB: the trace (8 KiB) fits, the archive's
        // write-ahead log for the registration does not.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{48 * 1024, 48 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        OpenedArchive opened = openSqliteArchive(path);
        if (!opened.archive) return 3;
        const std::string sha = testing::saveSampleTrace(trace, 1000);
        Registration r = testing::traceRegistration(trace, sha, "full-disk", kJan1 + 1);
        r.parameters = {{"bulk", std::string(40'000, 'q')}};
        const ArchiveOutcome outcome = opened.archive->registerSave(r);
        if (outcome.ok) return 4;
        if (!outcome.queued || outcome.message.empty()) return 5;
        (void)!::write(progress, outcome.message.data(), outcome.message.size());
        ForkedWorker::tell(progress);
        return 0;
    });
    worker.waitForLines(1);
    ASSERT_EQ(worker.wait(), 0);

    // The primary save is whole.
    auto loaded = std::make_unique<Chromatogram>();
    EXPECT_EQ(loadTraceFile(trace, *loaded).points, 1000);
    EXPECT_TRUE(fs::exists(path + kPendingSuffix));
    // Opened again with room on the disk, the archive takes what waited.
    OpenedArchive opened = openSqliteArchive(path);
    ASSERT_TRUE(opened.archive);
    FindQuery q;
    q.sample = "full-disk";
    const FindResult found = opened.archive->find(q);
    ASSERT_EQ(found.saves.size(), 1u);
    EXPECT_EQ(found.saves[0].registration.sha256, sha256OfFile(trace).hex);
    EXPECT_EQ(opened.archive->waiting(), 0);
    EXPECT_FALSE(fs::exists(path + kPendingSuffix));
    EXPECT_TRUE(verifyArchive(*opened.archive).ok());
}

}  // namespace
}  // namespace vespian

namespace vespian {
namespace {

TEST(SqliteArchive, APendingLineCutShortByACrashIsSkippedAndTheWholeOnesArchivedOnce) {
    testing::TestFolder folder("sqlite_pending");
    const std::string path = folder.file("archive.sqlite");
    const Registration whole = testing::traceRegistration("", "", "waited", kJan1);
    const std::string line = nlohmann::json({{"registration", registrationToJson(whole)}}).dump();
    // The same registration twice (queued by two programs, say) and a third cut off mid-line.
    writeBytes(path + kPendingSuffix, line + "\n" + line + "\n" + line.substr(0, line.size() / 2));
    OpenedArchive opened = openSqliteArchive(path);
    ASSERT_TRUE(opened.archive);
    FindQuery q;
    q.sample = "waited";
    EXPECT_EQ(opened.archive->find(q).saves.size(), 1u);
    EXPECT_EQ(opened.archive->waiting(), 0);
    EXPECT_FALSE(fs::exists(path + kPendingSuffix));
}

}  // namespace
}  // namespace vespian

namespace vespian {
namespace {

TEST(SqliteArchive, AFileSavedUnderARelativeNameIsFoundAgainFromAnotherFolder) {
    testing::TestFolder folder("sqlite_relative");
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    const std::string sha = testing::saveSampleTrace("rel.lne", 100);
    OpenedArchive opened = openSqliteArchive("archive.sqlite");
    ASSERT_TRUE(opened.archive);
    EXPECT_TRUE(opened.archive->registerSave(testing::traceRegistration("rel.lne", sha, "R", kJan1)).ok);
    fs::current_path(before);
    const ArchiveVerification verified = verifyArchive(*opened.archive);
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.filesChecked, 1);
    EXPECT_EQ(opened.archive->find({}).saves.at(0).registration.path, folder.file("rel.lne"));
}

}  // namespace
}  // namespace vespian
