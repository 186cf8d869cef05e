#include "files/record_database_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::readBytes;
using testing::ScriptedPrompts;
using testing::TestFolder;
using testing::writeBytes;

class DatabaseCommandsTest : public ::testing::Test {
protected:
    DatabaseCommandsTest() : name(noDatabase(folder.file("SAVE"))) {
        fs::create_directories(folder / "SAVE");
    }

    DatabaseSession session() {
        return {db, name, folder.file("SAVE"), folder.file(kDatabaseSettingsFileName), prompts, saver};
    }

    void addReport(int32_t number) {
        SurfaceReportRecord& r = db.reports().records[db.reports().count++];
        r.number = number;
        r.in_use = 1;
    }

    TestFolder folder{"database_commands"};
    RecordDatabase db;
    DatabaseName name;
    ScriptedPrompts prompts;
    DatabaseSaver saver;  // empty: the plain save
};

TEST_F(DatabaseCommandsTest, ExitWithoutDatabaseAndWithoutRecordsSavesNothing) {
    DatabaseSession s = session();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Proceed);
    EXPECT_TRUE(prompts.records().empty());
}

TEST_F(DatabaseCommandsTest, ExitWithRecordsAndNoDatabaseAsksForAFileInsteadOfFailing) {
    addReport(7);
    prompts.chooseFile(folder.file("SAVE/run"));
    DatabaseSession s = session();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Proceed);
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].kind, PromptRecord::Kind::SaveFile);
    EXPECT_EQ(prompts.records()[0].caption, kSaveDatabaseTitle);
    EXPECT_EQ(prompts.records()[0].text, kDatabaseFilter);

    const std::string path = folder.file("SAVE/run.03D");
    EXPECT_EQ(fs::file_size(path), databaseFileBytes(0, 0, 1));
    EXPECT_EQ(name.path, path);
    EXPECT_EQ(name.title, "run.03D");
    // Remembered for the next start.
    EXPECT_EQ(readRememberedDatabase(folder.file(kDatabaseSettingsFileName)), path);
    RecordDatabase reloaded;
    EXPECT_EQ(loadStartupDatabase(reloaded, folder.file("SAVE"), folder.file(kDatabaseSettingsFileName), prompts).path,
              path);
    EXPECT_EQ(reloaded.reports().records[0].number, 7);
}

TEST_F(DatabaseCommandsTest, CancelledFileDialogAsksBeforeGivingUpTheRecords) {
    addReport(1);
    prompts.cancelFile();
    prompts.answerNo();
    DatabaseSession s = session();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Stay);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{kUnsavedRecordsQuestion});

    prompts.cancelFile();
    prompts.answerYes();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Proceed);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(DatabaseCommandsTest, NamedDatabaseIsSavedAtExitAndAFailureOffersAnotherFile) {
    addReport(3);
    name = databaseNamed(folder.file("SAVE/lab.03D"));
    DatabaseSession s = session();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Proceed);
    EXPECT_TRUE(prompts.records().empty());
    EXPECT_EQ(fs::file_size(folder / "SAVE/lab.03D"), databaseFileBytes(0, 0, 1));

    // The file's folder has gone: the error, then a file of the operator's choice.
    name = databaseNamed(folder.file("gone/lab.03D"));
    prompts.chooseFile(folder.file("SAVE/rescue.03D"));
    DatabaseSession s2 = session();
    EXPECT_EQ(saveAtExit(s2), LeaveDecision::Proceed);
    ASSERT_GE(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[0].text, kDatabaseSaveFailedText);
    EXPECT_EQ(prompts.records()[0].caption, "错误");
    EXPECT_EQ(prompts.records()[0].icon, PromptIcon::Error);
    EXPECT_TRUE(fs::exists(folder / "SAVE/rescue.03D"));
    EXPECT_EQ(name.title, "rescue.03D");
}

TEST_F(DatabaseCommandsTest, SaverIsTheOneThatWrites) {
    addReport(3);
    name = databaseNamed(folder.file("SAVE/lab.03D"));
    std::vector<std::string> saved;
    saver = [&](const std::string& path) {
        saved.push_back(path);
        return saveWithoutProgress(db, path);
    };
    DatabaseSession s = session();
    EXPECT_EQ(saveAtExit(s), LeaveDecision::Proceed);
    EXPECT_EQ(saved, std::vector<std::string>{folder.file("SAVE/lab.03D")});
}

TEST_F(DatabaseCommandsTest, NewDatabaseSavesChoosesCreatesAndEmpties) {
    addReport(1);
    addReport(2);
    db.standards().count = 1;
    db.standards().records[0].in_use = 1;
    name = databaseNamed(folder.file("SAVE/old.03D"));
    prompts.chooseFile(folder.file("SAVE/fresh"));
    DatabaseSession s = session();
    EXPECT_TRUE(newDatabase(s));

    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].kind, PromptRecord::Kind::SaveFile);
    EXPECT_EQ(prompts.records()[0].caption, kNewDatabaseTitle);
    EXPECT_EQ(prompts.records()[0].initialDirectory, folder.file("SAVE"));
    EXPECT_EQ(prompts.records()[0].initialName, "old.03D");
    // The old tables went to the old file first.
    EXPECT_EQ(fs::file_size(folder / "SAVE/old.03D"), databaseFileBytes(1, 0, 2));
    EXPECT_EQ(readBytes(folder / "SAVE/fresh.03D"), std::string(10, '\0'));
    EXPECT_TRUE(db.empty());
    EXPECT_EQ(db.standards().records[0].in_use, 0);
    EXPECT_EQ(name.title, "fresh.03D");
    EXPECT_EQ(readRememberedDatabase(folder.file(kDatabaseSettingsFileName)), folder.file("SAVE/fresh.03D"));
}

TEST_F(DatabaseCommandsTest, NewDatabaseOnAnExistingFileAsksAndNoKeepsEverything) {
    addReport(1);
    name = databaseNamed(folder.file("SAVE/old.03D"));
    writeBytes(folder / "SAVE/taken.03D", "keep me");
    prompts.chooseFile(folder.file("SAVE/taken.03D"));
    prompts.answerNo();
    DatabaseSession s = session();
    EXPECT_FALSE(newDatabase(s));
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"‘" + folder.file("SAVE/taken.03D") + "’文件已经存在，是否要替换它？"});
    EXPECT_EQ(prompts.records()[1].caption, "新建");
    EXPECT_EQ(prompts.records()[1].icon, PromptIcon::Warning);
    EXPECT_EQ(readBytes(folder / "SAVE/taken.03D"), "keep me");
    EXPECT_EQ(db.reports().count, 1);
    EXPECT_EQ(name.title, "old.03D");

    // Yes replaces it with an empty database.
    prompts.chooseFile(folder.file("SAVE/taken.03D"));
    prompts.answerYes();
    EXPECT_TRUE(newDatabase(s));
    EXPECT_EQ(readBytes(folder / "SAVE/taken.03D"), std::string(10, '\0'));
}

TEST_F(DatabaseCommandsTest, NewDatabaseCancelledOrUncreatableChangesNothing) {
    addReport(1);
    name = databaseNamed(folder.file("SAVE/old.03D"));
    prompts.cancelFile();
    DatabaseSession s = session();
    EXPECT_FALSE(newDatabase(s));
    EXPECT_EQ(db.reports().count, 1);

    const std::string bad = folder.file("nowhere/x.03D");
    prompts.chooseFile(bad);
    EXPECT_FALSE(newDatabase(s));
    EXPECT_EQ(prompts.texts().back(), "无法建立‘" + bad + "’文件");
    EXPECT_EQ(prompts.records().back().caption, "错误");
    EXPECT_EQ(db.reports().count, 1);
    EXPECT_EQ(name.title, "old.03D");
}

TEST_F(DatabaseCommandsTest, OpenLoadsAnExistingDatabaseAfterSavingTheCurrentOne) {
    RecordDatabase other;
    other.samples().count = 2;
    other.samples().records[1].number = 99;
    ASSERT_TRUE(saveDatabase(folder.file("SAVE/other.03D"), other).ok);

    addReport(5);
    name = databaseNamed(folder.file("SAVE/current.03D"));
    prompts.chooseFile(folder.file("SAVE/other.03D"));
    DatabaseSession s = session();
    EXPECT_TRUE(openDatabase(s));
    EXPECT_EQ(prompts.records()[0].kind, PromptRecord::Kind::OpenFile);
    EXPECT_EQ(prompts.records()[0].caption, kOpenDatabaseTitle);
    EXPECT_EQ(db.samples().records[1].number, 99);
    EXPECT_EQ(db.reports().count, 0);
    EXPECT_EQ(fs::file_size(folder / "SAVE/current.03D"), databaseFileBytes(0, 0, 1));
    EXPECT_EQ(name.title, "other.03D");
}

TEST_F(DatabaseCommandsTest, OpenRefusesABadFileWithAMessageAndKeepsTheTables) {
    addReport(5);
    name = databaseNamed(folder.file("SAVE/current.03D"));
    writeBytes(folder / "SAVE/bad.03D", std::string(40, '\x7f'));
    prompts.chooseFile(folder.file("SAVE/bad.03D"));
    DatabaseSession s = session();
    EXPECT_FALSE(openDatabase(s));
    ASSERT_EQ(prompts.texts().size(), 1u);
    EXPECT_NE(prompts.texts()[0].find("不是数据库文件"), std::string::npos);
    EXPECT_EQ(db.reports().count, 1);
    EXPECT_EQ(name.title, "current.03D");
}

TEST_F(DatabaseCommandsTest, StartupLoadsTheRememberedDatabaseOrNone) {
    const std::string settings = folder.file(kDatabaseSettingsFileName);
    // Nothing remembered: no database, nothing said.
    EXPECT_FALSE(loadStartupDatabase(db, folder.file("SAVE"), settings, prompts).named());
    // A remembered file that has gone: none either.
    ASSERT_TRUE(rememberDatabase(settings, folder.file("SAVE/gone.03D")));
    EXPECT_FALSE(loadStartupDatabase(db, folder.file("SAVE"), settings, prompts).named());
    EXPECT_TRUE(prompts.records().empty());

    // A damaged one is reported and not used, so the exit save cannot overwrite it.
    writeBytes(folder / "SAVE/damaged.03D", std::string(20, '\x01'));
    ASSERT_TRUE(rememberDatabase(settings, folder.file("SAVE/damaged.03D")));
    const DatabaseName damaged = loadStartupDatabase(db, folder.file("SAVE"), settings, prompts);
    EXPECT_FALSE(damaged.named());
    EXPECT_EQ(damaged.path, folder.file("SAVE"));
    ASSERT_EQ(prompts.texts().size(), 1u);
}

TEST(DatabaseSettings, RememberedPathIsOneLine) {
    TestFolder folder("database_settings");
    const std::string settings = folder.file(kDatabaseSettingsFileName);
    EXPECT_EQ(readRememberedDatabase(settings), "");
    ASSERT_TRUE(rememberDatabase(settings, "/数据/实验室.03D"));
    EXPECT_EQ(readBytes(settings), "/数据/实验室.03D\n");
    EXPECT_EQ(readRememberedDatabase(settings), "/数据/实验室.03D");
    writeBytes(settings, "/a.03D\r\nrest");
    EXPECT_EQ(readRememberedDatabase(settings), "/a.03D");
    EXPECT_FALSE(rememberDatabase(folder.file("none/x.ini"), "/a.03D"));
}

TEST(DatabaseDeletion, ProgressTextsAndTheBetPageGuard) {
    RecordDatabase db;
    db.reports().count = 2;
    db.reports().records[0].in_use = 1;
    db.reports().records[1].in_use = 1;
    db.reports().records[1].selected = 1;
    EXPECT_STREQ(deleteProgressText(RecordList::Standards), "正在删除库存标样数据,请稍候...");
    EXPECT_STREQ(deleteProgressText(RecordList::Samples), "正在删除库存样品数据,请稍候...");
    EXPECT_STREQ(deleteProgressText(RecordList::Reports), "正在删除库存孔径样品数据,请稍候...");
    EXPECT_EQ(selectedInUseCount(db, RecordList::Reports), 1);
    EXPECT_EQ(deleteSelectedRecords(db, RecordList::Reports, true), 0);
    EXPECT_EQ(db.reports().count, 2);
    EXPECT_EQ(deleteSelectedRecords(db, RecordList::Reports, false), 1);
    EXPECT_EQ(db.reports().count, 1);
    deleteAllRecords(db, RecordList::Reports);
    EXPECT_EQ(db.reports().count, 0);
}

}  // namespace
}  // namespace vespian
