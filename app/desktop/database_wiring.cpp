#include "app/desktop/database_wiring.h"

#include "app/command_tables.h"
#include "app/desktop/main_window.h"
#include "app/program_state.h"
#include "files/desktop/database_save_dialog.h"
#include "platform/prompts.h"

namespace vespian {

DatabaseWiring::DatabaseWiring(MainWindow& window, ProgramState& state, Prompts& prompts)
    : window_(window), state_(state), prompts_(prompts), pores_(std::make_unique<PoreTable>()) {
    clearPorePoints(*pores_);
    clearDeadVolumes(*pores_);
    name_ = loadStartupDatabase(*state_.database, state_.dataFolder, state_.settingsPath(kDatabaseSettingsFileName),
                                prompts_);
    adoptName();

    // "新建", and "打开"/"保存" while the record lists are shown; in the other views they keep
    // their trace and report meaning.
    window_.handleRoute(CommandRoute::NewDatabase, [this](const CommandEntry&) { newDatabase(); });
    auto onLists = [this](CommandRoute route, bool (DatabaseWiring::*own)()) {
        MainWindow::CommandHandler before = window_.routeHandler(route);
        window_.handleRoute(route, [this, before, own](const CommandEntry& e) {
            if (state_.measurement.viewMode() == ViewMode::BetList || !before) {
                (this->*own)();
            } else {
                before(e);
            }
        });
    };
    onLists(CommandRoute::OpenDocument, &DatabaseWiring::openDatabase);
    onLists(CommandRoute::SaveDocument, &DatabaseWiring::saveDatabase);

    // Emptying whole tables, each after its question (Yes only).
    auto confirmed = [this](std::function<void()> act) {
        return [this, act](const CommandEntry& e) {
            if (!e.question.empty() &&
                !prompts_.askYesNo(std::string(e.questionCaption), std::string(e.question), PromptIcon::Question)) {
                return;
            }
            act();
            changed();
        };
    };
    window_.handleRoute(CommandRoute::ClearDeadVolumes, confirmed([this] { clearDeadVolumes(*pores_); }));
    window_.handleRoute(CommandRoute::ClearStandards,
                        confirmed([this] { deleteAllRecords(*state_.database, RecordList::Standards); }));
    window_.handleRoute(CommandRoute::ClearComparisonRecords,
                        confirmed([this] { deleteAllRecords(*state_.database, RecordList::Samples); }));
    window_.handleRoute(CommandRoute::ClearBetRecords,
                        confirmed([this] {
                            deleteAllRecords(*state_.database, RecordList::Reports);
                            state_.betDetail = 0;  // no report left to show a page of
                            state_.selectedRow = -1;
                        }));
    window_.handleRoute(CommandRoute::ClearPoreRecords, confirmed([this] { clearPorePoints(*pores_); }));

    // Measured records are never dropped silently when the window closes, by "退出" or otherwise.
    window_.setCloseGuard([this] { return saveBeforeExit(); });
}

DatabaseWiring::~DatabaseWiring() { window_.setCloseGuard({}); }

DatabaseSession DatabaseWiring::session() {
    return DatabaseSession{*state_.database, name_, state_.dataFolder, state_.settingsPath(kDatabaseSettingsFileName),
                           prompts_, DatabaseSaveDialog::saver(&window_, *state_.database)};
}

// The program state names the database the way the rest of the program reads it.
void DatabaseWiring::adoptName() {
    state_.databasePath = name_.path;
    state_.databaseTitle = name_.title;
}

void DatabaseWiring::changed() {
    if (tablesChanged_) tablesChanged_();
}

bool DatabaseWiring::newDatabase() {
    DatabaseSession s = session();
    const bool emptied = vespian::newDatabase(s);
    adoptName();
    if (emptied) {
        clearPorePoints(*pores_);
        clearDeadVolumes(*pores_);
        state_.betDetail = 0;
        state_.selectedRow = -1;
    }
    changed();
    return emptied;
}

bool DatabaseWiring::openDatabase() {
    DatabaseSession s = session();
    const bool replaced = vespian::openDatabase(s);
    adoptName();
    if (replaced) {
        state_.betDetail = 0;
        state_.selectedRow = -1;
    }
    changed();
    return replaced;
}

bool DatabaseWiring::saveDatabase() {
    DatabaseSession s = session();
    const bool saved = saveBeforeLeaving(s) == LeaveDecision::Proceed;
    adoptName();
    return saved;
}

bool DatabaseWiring::saveBeforeExit() {
    DatabaseSession s = session();
    const bool leave = saveAtExit(s) == LeaveDecision::Proceed;
    adoptName();
    return leave;
}

}  // namespace vespian
