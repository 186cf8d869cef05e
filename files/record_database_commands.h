#pragma once
// The operator's commands on the record database: "新建", opening an existing database, the
// save at exit, the start-up load, and deleting records from a list. Questions, file dialogs
// and messages go through Prompts; the save itself through a DatabaseSaver, which the desktop
// layer runs with its progress dialog "数据存盘".
//
// Nothing the operator measured is dropped without asking: before the tables are replaced or
// the program ends, records that cannot be written to the current database (none is chosen
// yet, or its file cannot be written) are offered a file of the operator's choice.

#include <functional>
#include <string>

#include "files/database_settings.h"
#include "files/record_database.h"

namespace vespian {

class Prompts;

// Writes the database to a path; the result's message is shown by the caller.
using DatabaseSaver = std::function<DatabaseFileResult(const std::string& path)>;

// The plain save, without progress display.
DatabaseFileResult saveWithoutProgress(const RecordDatabase& database, const std::string& path);

struct DatabaseSession {
    RecordDatabase& database;
    DatabaseName& name;
    std::string dataFolder;    // the file dialogs start here
    std::string settingsPath;  // Database.ini, where the current database is remembered
    Prompts& prompts;
    DatabaseSaver saver;       // empty: saveWithoutProgress
};

enum class LeaveDecision { Proceed, Stay };

inline constexpr char kSaveDatabaseTitle[] = "保存数据库文件";
inline constexpr char kOpenDatabaseTitle[] = "打开数据库文件";
inline constexpr char kNewDatabaseTitle[] = "新建";
inline constexpr char kUnsavedRecordsQuestion[] = "数据库中的记录还没有保存,确定放弃这些记录吗?";

// Saves the tables to the current database. When none is chosen, or its file cannot be
// written, and the tables hold records, asks for a file (Cancel: whether to give the records
// up; No stays). Proceed when the records are safe or given up.
LeaveDecision saveBeforeLeaving(DatabaseSession& session);

// "退出" and the window's close: the save before the program ends. Stay keeps the program.
inline LeaveDecision saveAtExit(DatabaseSession& session) { return saveBeforeLeaving(session); }

// "新建": save, choose a file, ask before replacing, write an empty database, make it current
// and empty the tables. True when the tables were emptied (the caller then empties the pore
// point table and the dead volumes too).
bool newDatabase(DatabaseSession& session);

// Open an existing ".03D" file: choose, save the current tables, load. True when the tables
// were replaced; a refused file is reported and changes nothing.
bool openDatabase(DatabaseSession& session);

// Start-up: the remembered database is loaded. A file that is refused is reported (after the
// splash, through prompts) and not used, so the exit save never overwrites it.
DatabaseName loadStartupDatabase(RecordDatabase& database, const std::string& dataFolder,
                                 const std::string& settingsPath, Prompts& prompts);

// ---- Deleting records ---------------------------------------------------------------------

inline constexpr char kDeleteSelectedQuestion[] = "所有选择的数据将要被删除,您确定吗?";
inline constexpr char kDeleteSelectedCaption[] = "删除选择数据";
inline constexpr char kDeleteAllQuestion[] = "所有数据将要被删除,您确定吗?";
inline constexpr char kDeleteAllCaption[] = "删除所有数据";
inline constexpr char kDeleteProgressCaption[] = "删除进度";

// The progress window's text for a list.
const char* deleteProgressText(RecordList list);

// How many records "删除选择数据" will remove from the list.
int32_t selectedInUseCount(const RecordDatabase& database, RecordList list);

// Deletes the selected records of a list, calling afterDelete after each; returns how many.
// `betPageShown`: the report list shows a BET page instead of its rows; nothing is deleted.
int32_t deleteSelectedRecords(RecordDatabase& database, RecordList list, bool betPageShown,
                              const std::function<void()>& afterDelete = {});

// Deletes every record of a list.
void deleteAllRecords(RecordDatabase& database, RecordList list);

}  // namespace vespian
