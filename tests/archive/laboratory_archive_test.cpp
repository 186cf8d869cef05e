// The laboratory's archive on a real PostgreSQL server (the test run's scratch server): it does
// what the SQLite archive does, a URI connects as a key=value string does, two processes
// archiving at once lose and double nothing, and a server stopped in the middle of a run is
// caught up once it is back.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "archive/laboratory_archive.h"
#include "archive/postgres_connection.h"
#include "archive_behaviour.h"

namespace vespian {
namespace {

using namespace std::chrono_literals;
using testing::ForkedWorker;
using testing::kJan1;
using testing::ScratchPostgres;
using testing::TestFolder;

std::unique_ptr<LaboratoryArchive> laboratory(const std::string& localPath, const std::string& connection) {
    OpenedArchive local = openSqliteArchive(localPath, true);
    EXPECT_TRUE(local.archive) << local.message;
    auto server = std::make_unique<SqlArchive>(std::make_unique<PostgresConnection>(connection, 0ms),
                                               SqlArchive::Options{});
    return std::make_unique<LaboratoryArchive>(std::move(local.archive), std::move(server));
}

// Rows and distinct ids of a table on the server.
std::pair<int64_t, int64_t> serverCount(LaboratoryArchive& archive, const char* table) {
    const SqlResult r =
        archive.server().connection().run(std::string("SELECT COUNT(*), COUNT(DISTINCT id) FROM ") + table);
    EXPECT_TRUE(r.ok) << r.error;
    return r.ok ? std::pair{sqlInteger(r.rows[0][0]), sqlInteger(r.rows[0][1])} : std::pair<int64_t, int64_t>{};
}

AuditEntry openedFile(int i) {
    return {newUniqueId(), kJan1 + i, "lab1", audit_action::kOpen, "/data/t" + std::to_string(i) + ".lne", "", "", "",
            "{}"};
}

TEST(LaboratoryArchive, DoesOnTheServerWhatThePcsOwnArchiveDoes) {
    ScratchPostgres server;
    REQUIRE_POSTGRES(server);
    TestFolder folder("laboratory_archive");
    auto archive = laboratory(folder.file("local.sqlite"), server.connection());
    testing::expectRegistrationAndFind(*archive, folder);
    EXPECT_EQ(archive->waiting(), 0);
    EXPECT_EQ(serverCount(*archive, "registrations"), (std::pair<int64_t, int64_t>{6, 6}));
    // The server's trail too only grows.
    EXPECT_FALSE(archive->server().connection().run("UPDATE audit SET who = 'x'").ok);
    EXPECT_FALSE(archive->server().connection().run("TRUNCATE audit").ok);
}

TEST(LaboratoryArchive, AUriConnectsAndAServerNotReachedIsNamedWithoutItsPassword) {
    ScratchPostgres server;
    REQUIRE_POSTGRES(server);
    // The scratch server's key=value string as a URI (the later dbname wins, as in libpq).
    std::map<std::string, std::string> keys;
    std::istringstream words(server.connection());
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        if (equals != std::string::npos) keys[word.substr(0, equals)] = word.substr(equals + 1);
    }
    const std::string uri =
        "postgresql://" + keys["user"] + "@" + keys["host"] + ":" + keys["port"] + "/" + keys["dbname"];
    PostgresConnection byUri(uri, 0ms);
    const SqlResult answer = byUri.run("SELECT 1");
    EXPECT_TRUE(answer.ok) << answer.error;
    EXPECT_EQ(byUri.where(), "PostgreSQL " + keys["host"] + ":" + keys["port"] + "/" + keys["dbname"]);

    // Port 1 refuses at once: nobody listens there.
    PostgresConnection nowhere("host=127.0.0.1 port=1 dbname=lab user=x password=secret", 0ms);
    EXPECT_FALSE(nowhere.reachable());
    EXPECT_EQ(nowhere.where(), "PostgreSQL 127.0.0.1:1/lab");
}

TEST(LaboratoryArchive, TwoProcessesArchivingAtOnceGiveNoDuplicateAndNoLostRow) {
    ScratchPostgres server;
    REQUIRE_POSTGRES(server);
    TestFolder folder("laboratory_concurrent");
    const std::string local = folder.file("local.sqlite");
    {
        // Archived while the laboratory's server was out of reach: 30 wait in the outbox.
        auto offline = laboratory(local, "host=127.0.0.1 port=1 user=archive dbname=none");
        for (int i = 0; i < 30; ++i) {
            const ArchiveOutcome outcome =
                offline->registerSave(testing::traceRegistration("", "", "offline", kJan1 + i));
            ASSERT_TRUE(outcome.ok);
            ASSERT_TRUE(outcome.queued);
        }
        EXPECT_EQ(offline->waiting(), 30);
    }
    // Two programs on this PC now send the same outbox and archive more of their own, at once.
    const auto work = [&](const std::string& sample) {
        return [&, sample](int progress) {
            auto archive = laboratory(local, server.connection());
            for (int i = 0; i < 40; ++i) {
                if (!archive->registerSave(testing::traceRegistration("", "", sample, kJan1 + 100 + i)).ok) return 2;
                if (!archive->recordAudit(openedFile(i)).ok) return 3;
            }
            ForkedWorker::tell(progress);
            return archive->sendWaiting().ok ? 0 : 4;
        };
    };
    ForkedWorker first(work("first"));
    ForkedWorker second(work("second"));
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);

    auto archive = laboratory(local, server.connection());
    EXPECT_EQ(archive->waiting(), 0);
    EXPECT_EQ(serverCount(*archive, "registrations"), (std::pair<int64_t, int64_t>{110, 110}));
    EXPECT_EQ(serverCount(*archive, "audit"), (std::pair<int64_t, int64_t>{190, 190}));
    const ArchiveVerification verified = verifyArchive(archive->server(), false);
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.rowsChecked, 190);
}

TEST(LaboratoryArchive, AServerStoppedInTheMiddleOfARunIsCaughtUpAfterItsRestart) {
    TestFolder folder("laboratory_restart");
    const std::string state = folder.file("postgres.state");
    const std::string script = VESPIAN_POSTGRES_SCRATCH;
    ASSERT_EQ(std::system((script + " start " + state + " >/dev/null").c_str()), 0);
    struct Removal {
        std::string command;
        ~Removal() { (void)!std::system(command.c_str()); }
    } removal{script + " remove " + state};
    const auto connection = ScratchPostgres::serverConnection(state);
    if (!connection) {
        if (ScratchPostgres::required()) FAIL() << "no PostgreSQL server";
        GTEST_SKIP() << "no PostgreSQL server (Debian package postgresql)";
    }

    auto archive = laboratory(folder.file("local.sqlite"), *connection);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(archive->registerSave(testing::traceRegistration("", "", "S", kJan1 + i)).ok);
    EXPECT_EQ(archive->waiting(), 0);

    ASSERT_EQ(std::system((script + " stop " + state).c_str()), 0);
    for (int i = 5; i < 10; ++i) {
        const ArchiveOutcome outcome = archive->registerSave(testing::traceRegistration("", "", "S", kJan1 + i));
        EXPECT_TRUE(outcome.ok);  // archived on this PC
        EXPECT_TRUE(outcome.queued);
        EXPECT_NE(outcome.message.find("本机存档"), std::string::npos) << outcome.message;
    }
    ASSERT_TRUE(archive->recordAudit(openedFile(1)).ok);
    EXPECT_EQ(archive->waiting(), 6);
    FindQuery q;
    q.sample = "S";
    const FindResult meanwhile = archive->find(q);
    EXPECT_EQ(meanwhile.saves.size(), 10u);  // from this PC's archive, and it says so
    EXPECT_FALSE(meanwhile.message.empty());

    ASSERT_EQ(std::system((script + " restart " + state).c_str()), 0);
    const ArchiveOutcome caughtUp = archive->sendWaiting();
    EXPECT_TRUE(caughtUp.ok) << caughtUp.message;
    EXPECT_EQ(archive->waiting(), 0);
    EXPECT_EQ(serverCount(*archive, "registrations"), (std::pair<int64_t, int64_t>{10, 10}));
    const ArchiveVerification verified = verifyArchive(archive->server(), false);
    EXPECT_TRUE(verified.ok()) << verified.summary();
    EXPECT_EQ(verified.rowsChecked, 11);
}

}  // namespace
}  // namespace vespian
