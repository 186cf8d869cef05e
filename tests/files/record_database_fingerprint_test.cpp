#include "files/record_database_fingerprint.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/test_files.h"

namespace vespian {
namespace {

TEST(DatabaseFingerprint, ChangesWithWhatASaveWritesAndWithNothingElse) {
    auto db = std::make_unique<RecordDatabase>();
    const uint64_t empty = databaseFingerprint(*db);
    db->samples().count = 2;
    db->samples().records[0].in_use = 1;
    db->samples().records[1].in_use = 1;
    const uint64_t two = databaseFingerprint(*db);
    EXPECT_NE(two, empty);
    db->samples().records[1].selected = 1;  // selection flags are saved with the records
    EXPECT_NE(databaseFingerprint(*db), two);
    db->samples().records[1].selected = 0;
    EXPECT_EQ(databaseFingerprint(*db), two);
    // Beyond the counts: the BET record under construction and emptied slots are not saved.
    db->reports().records[0].calib_count = 3;
    db->samples().records[5].weight_mg = 7.0f;
    EXPECT_EQ(databaseFingerprint(*db), two);
    // A record moving from one table to another changes it, though the bytes are alike.
    db->samples().count = 1;
    db->standards().count = 1;
    EXPECT_NE(databaseFingerprint(*db), two);
}

TEST(DatabaseFingerprint, ASavedAndReloadedDatabaseHasTheFingerprintItWasSavedWith) {
    testing::TestFolder folder("fingerprint");
    auto db = std::make_unique<RecordDatabase>();
    db->reports().count = 3;
    for (int i = 0; i < 3; ++i) {
        db->reports().records[i].in_use = 1;
        db->reports().records[i].number = i + 1;
        db->reports().records[i].bet_area = 10.0f * i;
    }
    ASSERT_TRUE(saveDatabase(folder.file("a.03D"), *db).ok);
    auto loaded = std::make_unique<RecordDatabase>();
    ASSERT_TRUE(loadDatabase(folder.file("a.03D"), *loaded).ok);
    EXPECT_EQ(databaseFingerprint(*loaded), databaseFingerprint(*db));
}

}  // namespace
}  // namespace vespian
