#include "analysis/pore_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;

struct FreeTable {
    void operator()(PoreTable* t) const { std::free(t); }
};
using TablePtr = std::unique_ptr<PoreTable, FreeTable>;
TablePtr emptyTable() { return TablePtr(static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)))); }

class PoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        table->count = 3;
        table->current = 2;
        table->deadVolumeCount = 4;
        for (int i = 0; i < 3; ++i) {
            table->relativePressure[i] = 0.1f * (i + 1) + 0.0123f;
            table->poreSize[i] = 12.345f * (i + 1);
            table->thickness[i] = 3.5f + i;
            table->adsorbed[i] = 0.25f * (i + 1);
            table->distribution[i] = 0.001f * i;
            table->weight[i] = 100.004f;
            table->n2Flow[i] = 5.0f * (i + 1);
            table->mixedFlow[i] = 50.0f;
            table->saturatedPressure[i] = 103.0f;
            table->atmosphericPressure[i] = 101.3f;
            table->peakArea[i] = 1000 + i;
            table->trace[i][0] = 60;
            for (int k = 1; k <= 60; ++k) table->trace[i][k] = k * (i + 1);
        }
    }
    std::string database() const { return folder.file("lab.03D"); }

    testing::TestFolder folder{"pore_file"};
    TablePtr table = emptyTable();
};

TEST_F(PoreFileTest, PointsComeBackAsTheyWereSavedBesideTheDatabase) {
    ASSERT_TRUE(savePorePoints(database(), *table).ok);
    EXPECT_EQ(poreFilePath(database()), database() + ".pores");
    EXPECT_EQ(fs::file_size(poreFilePath(database())), 32u + 3u * 8044u);
    EXPECT_FALSE(fs::exists(database())) << "the database file itself is not touched";
    const std::string bytes = testing::readBytes(poreFilePath(database()));
    EXPECT_EQ(bytes.substr(0, 8), "VSPPORES");

    TablePtr loaded = emptyTable();
    loaded->count = 7;  // what was there before goes
    const PoreFileResult result = loadPorePoints(database(), *loaded);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(result.found);
    EXPECT_EQ(loaded->count, 3);
    EXPECT_EQ(loaded->current, 2);
    EXPECT_EQ(loaded->deadVolumeCount, 4);
    EXPECT_EQ(loaded->poreSize[2], 12.345f * 3);
    EXPECT_EQ(loaded->weight[1], 100.004f);
    EXPECT_EQ(loaded->trace[2][60], 180);
    EXPECT_EQ(porePointsFingerprint(*loaded), porePointsFingerprint(*table)) << "every value as it was";
    loaded->peakArea[1] += 1;
    EXPECT_NE(porePointsFingerprint(*loaded), porePointsFingerprint(*table));
}

TEST_F(PoreFileTest, NoSideFileIsADatabaseWithoutPorePoints) {
    const PoreFileResult result = loadPorePoints(database(), *table);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.found);
    EXPECT_EQ(table->count, 0);
    EXPECT_EQ(table->deadVolumeCount, 0);
}

TEST_F(PoreFileTest, AFileThatCannotBeReadTrulyIsRefusedAndChangesNothing) {
    ASSERT_TRUE(savePorePoints(database(), *table).ok);
    const std::string good = testing::readBytes(poreFilePath(database()));
    auto refusedWith = [&](std::string bytes) {
        testing::writeBytes(poreFilePath(database()), bytes);
        TablePtr loaded = emptyTable();
        loaded->count = 1;
        loaded->poreSize[0] = 9.0f;
        const PoreFileResult result = loadPorePoints(database(), *loaded);
        const bool untouched = loaded->count == 1 && loaded->poreSize[0] == 9.0f;
        return !result.ok && result.found && !result.message.empty() && untouched;
    };
    EXPECT_TRUE(refusedWith(good.substr(0, good.size() - 1))) << "a point cut short";
    EXPECT_TRUE(refusedWith(good.substr(0, 20))) << "a header cut short";
    std::string other = good;
    other[0] = 'X';
    EXPECT_TRUE(refusedWith(other)) << "not a pore file";
    std::string tooMany = good;
    const int32_t count = 201;
    std::memcpy(&tooMany[12], &count, 4);
    EXPECT_TRUE(refusedWith(tooMany)) << "more than 200 points";
    std::string badPicture = good;
    const int32_t stored = 2000;
    std::memcpy(&badPicture[32 + 8044 + 44], &stored, 4);
    EXPECT_TRUE(refusedWith(badPicture)) << "a picture longer than its array";
}

}  // namespace
}  // namespace vespian
