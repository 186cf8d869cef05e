#include "files/record_database_commands.h"

#include <sys/stat.h>

#include "platform/prompts.h"

namespace vespian {

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

DatabaseFileResult save(DatabaseSession& session, const std::string& path) {
    return session.saver ? session.saver(path) : saveWithoutProgress(session.database, path);
}

FileDialogRequest databaseDialog(const DatabaseSession& session, const char* title) {
    return {title, kDatabaseFilter, kDatabasePattern, session.dataFolder, session.name.title};
}

std::string replaceQuestion(const std::string& path) { return "‘" + path + "’文件已经存在，是否要替换它？"; }

void makeCurrent(DatabaseSession& session, const std::string& path) {
    session.name = databaseNamed(path);
    // Not being able to remember the name only costs the operator a choice at the next start.
    rememberDatabase(session.settingsPath, path);
}

}  // namespace

DatabaseFileResult saveWithoutProgress(const RecordDatabase& database, const std::string& path) {
    return saveDatabase(path, database);
}

LeaveDecision saveBeforeLeaving(DatabaseSession& session) {
    if (session.name.named()) {
        const DatabaseFileResult saved = save(session, session.name.path);
        if (saved.ok) return LeaveDecision::Proceed;
        session.prompts.message("错误", saved.message, PromptIcon::Error);
    }
    if (session.database.empty()) return LeaveDecision::Proceed;

    for (;;) {
        std::optional<std::string> chosen = session.prompts.saveFileName(databaseDialog(session, kSaveDatabaseTitle));
        if (!chosen) {
            return session.prompts.askYesNo("警告", kUnsavedRecordsQuestion, PromptIcon::Warning) ? LeaveDecision::Proceed
                                                                                                : LeaveDecision::Stay;
        }
        const std::string path = withDatabaseExtension(*chosen);
        if (exists(path) && !session.prompts.askYesNo(kNewDatabaseTitle, replaceQuestion(path), PromptIcon::Warning)) {
            continue;
        }
        const DatabaseFileResult saved = save(session, path);
        if (saved.ok) {
            makeCurrent(session, path);
            return LeaveDecision::Proceed;
        }
        session.prompts.message("错误", saved.message, PromptIcon::Error);
    }
}

bool newDatabase(DatabaseSession& session) {
    if (saveBeforeLeaving(session) == LeaveDecision::Stay) return false;
    std::optional<std::string> chosen = session.prompts.saveFileName(databaseDialog(session, kNewDatabaseTitle));
    if (!chosen) return false;
    const std::string path = withDatabaseExtension(*chosen);
    if (exists(path) && !session.prompts.askYesNo(kNewDatabaseTitle, replaceQuestion(path), PromptIcon::Warning)) {
        return false;
    }
    if (!createEmptyDatabase(path)) {
        session.prompts.message("错误", "无法建立‘" + path + "’文件", PromptIcon::Error);
        return false;
    }
    makeCurrent(session, path);
    emptyDatabase(session.database);
    return true;
}

bool openDatabase(DatabaseSession& session) {
    std::optional<std::string> chosen = session.prompts.openFileName(databaseDialog(session, kOpenDatabaseTitle));
    if (!chosen) return false;
    if (saveBeforeLeaving(session) == LeaveDecision::Stay) return false;
    const DatabaseFileResult loaded = loadDatabase(*chosen, session.database);
    if (!loaded.ok) {
        session.prompts.message("错误", loaded.message, PromptIcon::Error);
        return false;
    }
    makeCurrent(session, *chosen);
    return true;
}

DatabaseName loadStartupDatabase(RecordDatabase& database, const std::string& dataFolder,
                                 const std::string& settingsPath, Prompts& prompts) {
    DatabaseName name = startupDatabaseName(dataFolder, readRememberedDatabase(settingsPath));
    if (!name.named()) return name;
    const DatabaseFileResult loaded = loadDatabase(name.path, database);
    if (loaded.ok) return name;
    prompts.message("错误", loaded.message, PromptIcon::Error);
    return noDatabase(dataFolder);
}

// ---- Deleting records ---------------------------------------------------------------------

const char* deleteProgressText(RecordList list) {
    switch (list) {
    case RecordList::Standards: return "正在删除库存标样数据,请稍候...";
    case RecordList::Samples: return "正在删除库存样品数据,请稍候...";
    case RecordList::Reports: break;
    }
    return "正在删除库存孔径样品数据,请稍候...";
}

int32_t selectedInUseCount(const RecordDatabase& database, RecordList list) {
    switch (list) {
    case RecordList::Standards: return countSelectedInUse(database.standards());
    case RecordList::Samples: return countSelectedInUse(database.samples());
    case RecordList::Reports: break;
    }
    return countSelectedInUse(database.reports());
}

int32_t deleteSelectedRecords(RecordDatabase& database, RecordList list, bool betPageShown,
                              const std::function<void()>& afterDelete) {
    switch (list) {
    case RecordList::Standards: return deleteSelected(database.standards(), afterDelete);
    case RecordList::Samples: return deleteSelected(database.samples(), afterDelete);
    case RecordList::Reports: break;
    }
    if (betPageShown) return 0;
    return deleteSelected(database.reports(), afterDelete);
}

void deleteAllRecords(RecordDatabase& database, RecordList list) {
    switch (list) {
    case RecordList::Standards: deleteAll(database.standards()); return;
    case RecordList::Samples: deleteAll(database.samples()); return;
    case RecordList::Reports: deleteAll(database.reports()); return;
    }
}

}  // namespace vespian
