#pragma once
// The record database in the running program: the remembered database loaded at start,
// "新建", "打开" and "保存" on the list view, the save when the program ends (a name asked for
// when the records have none), and the commands that empty whole tables. The pore points go
// with the database, in their own file beside it. The window's title names the database and
// marks changes not yet saved.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "analysis/pore.h"
#include "files/record_database_commands.h"

class QTimer;

namespace vespian {

class MainWindow;
class Prompts;
struct ProgramState;

class DatabaseWiring : public QObject {
    Q_OBJECT

public:
    // How often the title looks whether the records still match their file.
    static constexpr int kTitleRefreshMs = 1000;

    // Loads the remembered database (a refused file is reported) and installs the handlers.
    DatabaseWiring(MainWindow& window, ProgramState& state, Prompts& prompts);
    ~DatabaseWiring() override;

    // "新建", "打开" and "保存" of the database; false when nothing changed.
    bool newDatabase();
    bool openDatabase();
    bool saveDatabase();
    // The save before the program ends; false keeps the program running.
    bool saveBeforeExit();

    const DatabaseName& name() const { return name_; }
    // The pore points of this database ("新建" and "清空孔径记录" empty them).
    PoreTable& pores() { return *pores_; }

    // Called after the tables were replaced or emptied (the lists are redrawn).
    void setTablesChanged(std::function<void()> changed) { tablesChanged_ = std::move(changed); }

    // Whether the records or pore points differ from what was last loaded or saved, and the
    // title that says so (also refreshed every kTitleRefreshMs).
    bool unsavedChanges() const;
    void refreshTitle();

private:
    // Every record of a list deleted, in the audit trail with the count before.
    void deleteAudited(RecordList list);
    DatabaseSession session();
    void adoptName();
    void changed();
    // The pore points of the current database from their file; a refused file is reported.
    void loadPores();
    // What was just loaded or written is what the files hold.
    void markSaved();

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    DatabaseName name_;
    std::unique_ptr<PoreTable> pores_;
    std::function<void()> tablesChanged_;
    uint64_t savedDatabase_ = 0;
    uint64_t savedPores_ = 0;
    // A pore file that could not be read is left as it is, not overwritten by the next save.
    std::string unreadPoreFile_;
    QTimer* titleTimer_ = nullptr;
};

}  // namespace vespian
