#include "files/record_database.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/gbk_text.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

std::string int32Bytes(int32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

template <typename Record>
std::string bytesOf(const Record& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// Fills a record with bytes that differ from record to record and from field to field, so a
// shifted or truncated copy cannot pass for the original.
template <typename Record>
void scramble(Record& record, uint32_t seed) {
    std::mt19937 random(seed);
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) bytes[i] = static_cast<unsigned char>(random());
}

// A database of 3 standards, 4 samples and 5 reports with distinct contents.
void fill(RecordDatabase& db) {
    db.standards().count = 3;
    db.samples().count = 4;
    db.reports().count = 5;
    for (int i = 0; i < 3; ++i) scramble(db.standards().records[i], 100 + i);
    for (int i = 0; i < 4; ++i) scramble(db.samples().records[i], 200 + i);
    for (int i = 0; i < 5; ++i) {
        SurfaceReportRecord& r = db.reports().records[i];
        scramble(r, 300 + i);
        r.number = 1 + i;
        r.in_use = 1;
        r.selected = 0;
    }
    writeGbkField(db.samples().records[0].name, "样品甲");
    db.standards().records[1].selected = -1;
    db.samples().records[2].selected = 1;
}

void expectSameUsedRecords(const RecordDatabase& a, const RecordDatabase& b) {
    ASSERT_EQ(a.standards().count, b.standards().count);
    ASSERT_EQ(a.samples().count, b.samples().count);
    ASSERT_EQ(a.reports().count, b.reports().count);
    for (int i = 0; i < a.standards().count; ++i) {
        EXPECT_EQ(bytesOf(a.standards().records[i]), bytesOf(b.standards().records[i])) << "standard " << i;
    }
    for (int i = 0; i < a.samples().count; ++i) {
        EXPECT_EQ(bytesOf(a.samples().records[i]), bytesOf(b.samples().records[i])) << "sample " << i;
    }
    for (int i = 0; i < a.reports().count; ++i) {
        EXPECT_EQ(bytesOf(a.reports().records[i]), bytesOf(b.reports().records[i])) << "report " << i;
    }
}

class RecordDatabaseFileTest : public ::testing::Test {
protected:
    TestFolder folder{"record_database"};
};

TEST_F(RecordDatabaseFileTest, NewDatabaseOfTenZeroBytesLoadsAsThreeEmptyTables) {
    const std::string path = folder.file("new.03D");
    ASSERT_TRUE(createEmptyDatabase(path));
    EXPECT_EQ(readBytes(path), std::string(10, '\0'));

    RecordDatabase db;
    fill(db);
    const DatabaseFileResult result = loadDatabase(path, db);
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(db.standards().count, 0);
    EXPECT_EQ(db.samples().count, 0);
    EXPECT_EQ(db.reports().count, 0);
    EXPECT_TRUE(db.empty());
}

TEST_F(RecordDatabaseFileTest, SaveThenLoadReproducesEveryByteOfTheUsedRecords) {
    RecordDatabase original;
    fill(original);
    const std::string path = folder.file("round.03D");
    int steps = 0;
    const DatabaseFileResult saved = saveDatabase(path, original, [&] { ++steps; });
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(fs::exists(path + ".part"));

    // The file is exactly the counts and the three blocks, nothing else.
    const std::string bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), databaseFileBytes(3, 4, 5));
    EXPECT_EQ(bytes.substr(0, 12), int32Bytes(3) + int32Bytes(4) + int32Bytes(5));
    EXPECT_EQ(bytes.substr(12, 8056), bytesOf(original.standards().records[0]));
    EXPECT_EQ(bytes.substr(12 + 3 * 8056 + 4 * 20168, 484), bytesOf(original.reports().records[0]));

    RecordDatabase loaded;
    const DatabaseFileResult result = loadDatabase(path, loaded);
    ASSERT_TRUE(result.ok) << result.message;
    expectSameUsedRecords(original, loaded);
    EXPECT_EQ(loaded.standards().records[1].selected, -1);
    EXPECT_EQ(loaded.samples().records[2].selected, 1);
    EXPECT_EQ(readGbkField(loaded.samples().records[0].name), "样品甲");

    // Saving the loaded tables again gives the same file.
    const std::string again = folder.file("again.03D");
    ASSERT_TRUE(saveDatabase(again, loaded).ok);
    EXPECT_EQ(readBytes(again), bytes);
}

TEST_F(RecordDatabaseFileTest, FullDatabaseRoundTrips) {
    RecordDatabase original;
    original.standards().count = kStandardCapacity;
    original.samples().count = kSampleCapacity;
    original.reports().count = kReportCapacity;
    original.standards().records[kStandardCapacity - 1].number = 77;
    original.samples().records[kSampleCapacity - 1].trace[4999] = 1.5f;
    original.reports().records[kReportCapacity - 1].rel_pressure[9] = 0.25f;
    const std::string path = folder.file("full.03D");
    ASSERT_TRUE(saveDatabase(path, original).ok);
    EXPECT_EQ(fs::file_size(path), kFullDatabaseBytes);

    RecordDatabase loaded;
    ASSERT_TRUE(loadDatabase(path, loaded).ok);
    EXPECT_EQ(loaded.standards().records[kStandardCapacity - 1].number, 77);
    EXPECT_EQ(loaded.samples().records[kSampleCapacity - 1].trace[4999], 1.5f);
    EXPECT_EQ(loaded.reports().records[kReportCapacity - 1].rel_pressure[9], 0.25f);
}

TEST_F(RecordDatabaseFileTest, MissingFileOrFolderIsNotOpenedAndChangesNothing) {
    RecordDatabase db;
    fill(db);
    for (const std::string& path : {folder.file("absent.03D"), folder.path().string()}) {
        const DatabaseFileResult result = loadDatabase(path, db);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.opened) << path;
        EXPECT_EQ(db.reports().count, 5);
    }
}

// Loading `bytes` must be refused with a message and leave a filled database as it was.
class RefusedDatabaseTest : public RecordDatabaseFileTest {
protected:
    std::string expectRefused(const std::string& bytes) {
        const std::string path = folder.file("bad.03D");
        writeBytes(path, bytes);
        RecordDatabase reference;
        fill(reference);
        RecordDatabase db;
        fill(db);
        const DatabaseFileResult result = loadDatabase(path, db);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.opened);
        EXPECT_FALSE(result.message.empty());
        expectSameUsedRecords(reference, db);
        return result.message;
    }
};

TEST_F(RefusedDatabaseTest, CountsAboveCapacityOrNegativeAreRefused) {
    EXPECT_NE(expectRefused(int32Bytes(501) + int32Bytes(0) + int32Bytes(0)).find("标样记录数501超出范围(0-500)"),
              std::string::npos);
    EXPECT_NE(expectRefused(int32Bytes(0) + int32Bytes(1001) + int32Bytes(0)).find("样品记录数1001"),
              std::string::npos);
    EXPECT_NE(expectRefused(int32Bytes(0) + int32Bytes(0) + int32Bytes(1001)).find("报告记录数1001"),
              std::string::npos);
    EXPECT_NE(expectRefused(int32Bytes(0) + int32Bytes(-1) + int32Bytes(0)).find("记录数-1"), std::string::npos);
}

TEST_F(RefusedDatabaseTest, FileShorterOrLongerThanItsCountsIsRefused) {
    const std::string header = int32Bytes(1) + int32Bytes(0) + int32Bytes(2);
    const size_t full = databaseFileBytes(1, 0, 2);
    std::string body(full - 12, 'x');
    EXPECT_NE(expectRefused(header + body.substr(1)).find("与记录数不符"), std::string::npos);
    expectRefused(header + body + "z");
    expectRefused(header);
    expectRefused(std::string(9, '\0'));   // shorter than the new-database file
    expectRefused(std::string(11, '\0'));  // neither 10 nor 12 bytes
    expectRefused(std::string(13, '\0'));
    expectRefused({});
}

TEST_F(RefusedDatabaseTest, RandomFilesNeverCrashAndChangeNothingWhenRefused) {
    std::mt19937 random(20020);
    const std::string path = folder.file("random.03D");
    RecordDatabase reference;
    fill(reference);
    RecordDatabase db;
    fill(db);
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        const size_t size = round % 3 == 0 ? random() % 64 : random() % 30000;
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        if (round % 5 == 0 && size >= 12) {
            // A plausible header: small counts, so the length check is what decides.
            const std::string header = int32Bytes(random() % 3) + int32Bytes(random() % 2) + int32Bytes(random() % 40);
            bytes.replace(0, 12, header);
        }
        writeBytes(path, bytes);
        const DatabaseFileResult result = loadDatabase(path, db);
        if (result.ok) {
            ++accepted;
            fill(db);  // an accepted file replaced the tables: start the next round from the reference
        } else {
            EXPECT_FALSE(result.message.empty());
            expectSameUsedRecords(reference, db);
        }
    }
    EXPECT_LT(accepted, 10);
}

TEST_F(RecordDatabaseFileTest, SaveToAFolderFailsAndLeavesTheOldFile) {
    RecordDatabase db;
    fill(db);
    // The start-up path of the written program names the data folder itself.
    const DatabaseFileResult toFolder = saveDatabase(folder.path().string(), db);
    EXPECT_FALSE(toFolder.ok);
    EXPECT_EQ(toFolder.message, kDatabaseSaveFailedText);

    const std::string path = folder.file("kept.03D");
    writeBytes(path, "old contents");
    const DatabaseFileResult noFolder = saveDatabase(folder.file("missing/kept.03D"), db);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_EQ(readBytes(path), "old contents");
}

TEST_F(RecordDatabaseFileTest, TheBetRecordUnderConstructionSurvivesALoad) {
    RecordDatabase db;
    SurfaceReportRecord* pending = recordUnderConstruction(db.reports());
    ASSERT_NE(pending, nullptr);
    pending->calib_count = 2;
    pending->calib_area[1] = 30000;
    RecordDatabase other;
    fill(other);
    const std::string path = folder.file("other.03D");
    ASSERT_TRUE(saveDatabase(path, other).ok);
    ASSERT_TRUE(loadDatabase(path, db).ok);
    EXPECT_EQ(db.reports().count, 5);
    EXPECT_EQ(db.reports().records[5].calib_count, 2);
    EXPECT_EQ(db.reports().records[5].calib_area[1], 30000);
}

TEST(RecordDatabaseHeader, FiveSixteenBitWordsOrZeros) {
    TestFolder folder("database_header");
    EXPECT_EQ(readDatabaseHeaderWords(folder.file("none.03D")), (std::array<uint16_t, 5>{}));
    EXPECT_EQ(readDatabaseHeaderWords(folder.path().string()), (std::array<uint16_t, 5>{}));
    writeBytes(folder / "db.03D", int32Bytes(3) + int32Bytes(0x00020001) + "\x07");
    EXPECT_EQ(readDatabaseHeaderWords(folder.file("db.03D")), (std::array<uint16_t, 5>{3, 0, 1, 2, 0}));
}

TEST(RecordDatabaseNames, ExtensionAndTitle) {
    EXPECT_EQ(withDatabaseExtension("SAVE/lab"), "SAVE/lab.03D");
    EXPECT_EQ(withDatabaseExtension("SAVE/lab.03D"), "SAVE/lab.03D");
    EXPECT_EQ(withDatabaseExtension("SAVE/lab.03d"), "SAVE/lab.03d");
    EXPECT_EQ(withDatabaseExtension("SAVE/lab.txt"), "SAVE/lab.txt.03D");
    EXPECT_EQ(databaseTitleOf("/home/lab/SAVE/a.03D"), "a.03D");
    EXPECT_EQ(databaseTitleOf("a.03D"), "a.03D");
    EXPECT_EQ(databaseTitleOf("SAVE/"), "");
}

// ---- Deleting records -------------------------------------------------------------------

class RecordDeletionTest : public ::testing::Test {
protected:
    // Five committed BET reports numbered 11..15, each with its own slope, and calibrations
    // of a sixth in progress.
    void SetUp() override {
        ReportTable& t = db.reports();
        t.count = 5;
        for (int i = 0; i < 5; ++i) {
            t.records[i].number = 11 + i;
            t.records[i].in_use = 1;
            t.records[i].slope = 0.5f * static_cast<float>(i + 1);
            t.records[i].point_count = 3;
        }
        t.records[5].calib_count = 1;
        t.records[5].calib_area[0] = 4242;
    }
    RecordDatabase db;
};

TEST_F(RecordDeletionTest, DeletingSelectedTwoAndThreeOfFiveKeepsTheOthersInOrder) {
    ReportTable& t = db.reports();
    t.records[2].selected = 1;
    t.records[3].selected = -1;
    int steps = 0;
    EXPECT_EQ(countSelectedInUse(t), 2);
    EXPECT_EQ(deleteSelected(t, [&] { ++steps; }), 2);
    EXPECT_EQ(steps, 2);
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.records[0].number, 11);
    EXPECT_EQ(t.records[1].number, 12);
    EXPECT_EQ(t.records[2].number, 15);  // not renumbered
    EXPECT_EQ(t.records[2].slope, 2.5f);  // its own BET data came with it
    // The measurement in progress moved with the table; the slots behind it are empty.
    EXPECT_EQ(t.records[3].calib_area[0], 4242);
    EXPECT_EQ(t.records[3].in_use, 0);
    EXPECT_EQ(t.records[4].point_count, 0);
    EXPECT_EQ(t.records[4].number, 0);
    EXPECT_EQ(t.records[5].calib_count, 0);
}

TEST_F(RecordDeletionTest, NothingSelectedChangesNothing) {
    ReportTable& t = db.reports();
    const std::string before(reinterpret_cast<const char*>(&t.records[0]), 6 * sizeof(SurfaceReportRecord));
    EXPECT_EQ(deleteSelected(t), 0);
    EXPECT_EQ(t.count, 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&t.records[0]), before.size()), before);
}

TEST_F(RecordDeletionTest, DeleteAllLeavesTheMeasurementInProgressAsTheFirstSlot) {
    ReportTable& t = db.reports();
    deleteAll(t);
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(t.records[0].calib_area[0], 4242);
    EXPECT_EQ(t.records[0].in_use, 0);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(t.records[i].in_use, 0);
        EXPECT_EQ(t.records[i].number, 0);
    }
}

TEST(RecordDeletion, FullTableDeletesItsLastRecord) {
    RecordDatabase db;
    StandardTable& t = db.standards();
    t.count = kStandardCapacity;
    for (int i = 0; i < kStandardCapacity; ++i) {
        t.records[i].number = i;
        t.records[i].in_use = 1;
    }
    t.records[kStandardCapacity - 1].selected = 1;
    t.records[0].selected = 1;
    EXPECT_EQ(deleteSelected(t), 2);
    EXPECT_EQ(t.count, kStandardCapacity - 2);
    EXPECT_EQ(t.records[0].number, 1);
    EXPECT_EQ(t.records[kStandardCapacity - 3].number, kStandardCapacity - 2);
    EXPECT_EQ(t.records[kStandardCapacity - 2].in_use, 0);
    EXPECT_EQ(t.records[kStandardCapacity - 1].in_use, 0);
}

TEST(RecordDeletion, EmptyDatabaseClearsEveryTable) {
    RecordDatabase db;
    fill(db);
    emptyDatabase(db);
    EXPECT_TRUE(db.empty());
    EXPECT_EQ(db.standards().records[0].in_use, 0);
    EXPECT_EQ(db.samples().records[3].in_use, 0);
}

TEST(RecordUnderConstruction, NoSlotWhenTheReportTableIsFull) {
    RecordDatabase db;
    db.reports().count = kReportCapacity - 1;
    EXPECT_EQ(recordUnderConstruction(db.reports()), &db.reports().records[kReportCapacity - 1]);
    db.reports().count = kReportCapacity;
    EXPECT_EQ(recordUnderConstruction(db.reports()), nullptr);
}

}  // namespace
}  // namespace vespian
