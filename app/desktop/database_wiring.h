#pragma once
// The record database in the running program: the remembered database loaded at start,
// "新建", "打开" and "保存" on the list view, the save when the program ends (a name asked for
// when the records have none), and the commands that empty whole tables.

#include <functional>
#include <memory>

#include "analysis/pore.h"
#include "files/record_database_commands.h"

namespace vespian {

class MainWindow;
class Prompts;
struct ProgramState;

class DatabaseWiring {
public:
    // Loads the remembered database (a refused file is reported) and installs the handlers.
    DatabaseWiring(MainWindow& window, ProgramState& state, Prompts& prompts);
    ~DatabaseWiring();

    // "新建", "打开" and "保存" of the database; false when nothing changed.
    bool newDatabase();
    bool openDatabase();
    bool saveDatabase();
    // The save before the program ends; false keeps the program running.
    bool saveBeforeExit();

    const DatabaseName& name() const { return name_; }
    // The pore points of this run ("新建" and "清空孔径记录" empty them).
    PoreTable& pores() { return *pores_; }

    // Called after the tables were replaced or emptied (the lists are redrawn).
    void setTablesChanged(std::function<void()> changed) { tablesChanged_ = std::move(changed); }

private:
    DatabaseSession session();
    void adoptName();
    void changed();

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    DatabaseName name_;
    std::unique_ptr<PoreTable> pores_;
    std::function<void()> tablesChanged_;
};

}  // namespace vespian
