#include "app/desktop/database_wiring.h"

#include <QTimer>

#include "analysis/pore_file.h"
#include "app/audit_values.h"
#include "app/command_tables.h"
#include "app/desktop/main_window.h"
#include "app/program_state.h"
#include "app/window_title.h"
#include "files/desktop/database_save_dialog.h"
#include "files/record_database_fingerprint.h"
#include "platform/prompts.h"

namespace vespian {

DatabaseWiring::DatabaseWiring(MainWindow& window, ProgramState& state, Prompts& prompts)
    : window_(window), state_(state), prompts_(prompts), pores_(std::make_unique<PoreTable>()) {
    clearPorePoints(*pores_);
    clearDeadVolumes(*pores_);
    name_ = loadStartupDatabase(*state_.database, state_.dataFolder, state_.settingsPath(kDatabaseSettingsFileName),
                                prompts_);
    adoptName();
    loadPores();
    markSaved();

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
                        confirmed([this] { deleteAudited(RecordList::Standards); }));
    window_.handleRoute(CommandRoute::ClearComparisonRecords,
                        confirmed([this] { deleteAudited(RecordList::Samples); }));
    window_.handleRoute(CommandRoute::ClearBetRecords,
                        confirmed([this] {
                            deleteAudited(RecordList::Reports);
                            state_.betDetail = 0;  // no report left to show a page of
                            state_.selectedRow = -1;
                        }));
    window_.handleRoute(CommandRoute::ClearPoreRecords, confirmed([this] { clearPorePoints(*pores_); }));

    // Measured records are never dropped silently when the window closes, by "退出" or otherwise.
    window_.setCloseGuard([this] { return saveBeforeExit(); });

    // Records change in many places (a report committed, a row selected, a deletion): the
    // title looks for itself.
    titleTimer_ = new QTimer(this);
    titleTimer_->setObjectName("databaseTitleTimer");
    titleTimer_->setInterval(kTitleRefreshMs);
    connect(titleTimer_, &QTimer::timeout, this, &DatabaseWiring::refreshTitle);
    titleTimer_->start();
    refreshTitle();
}

DatabaseWiring::~DatabaseWiring() { window_.setCloseGuard({}); }

void DatabaseWiring::deleteAudited(RecordList list) {
    const int32_t before = recordCount(*state_.database, list);
    deleteAllRecords(*state_.database, list);
    if (before == 0) return;
    window_.showArchiveNotice(state_.archiving.audit(
        audit_action::kDelete, state_.databasePath + "#" + recordListName(list), std::to_string(before), "0"));
}

DatabaseSession DatabaseWiring::session() {
    // Every write of the database writes its pore points beside it.
    DatabaseSaver tables = DatabaseSaveDialog::saver(&window_, *state_.database);
    DatabaseSaver withPores = [this, tables](const std::string& path) {
        DatabaseFileResult written = tables(path);
        if (!written.ok) return written;
        if (path != unreadPoreFile_) {
            const PoreFileResult pores = savePorePoints(path, *pores_);
            if (!pores.ok) return DatabaseFileResult{false, true, pores.message};
        }
        savedDatabase_ = databaseFingerprint(*state_.database);
        savedPores_ = porePointsFingerprint(*pores_);
        return written;
    };
    return DatabaseSession{*state_.database, name_, state_.dataFolder, state_.settingsPath(kDatabaseSettingsFileName),
                           prompts_, withPores};
}

// The program state names the database the way the rest of the program reads it.
void DatabaseWiring::adoptName() {
    state_.databasePath = name_.path;
    state_.databaseTitle = name_.title;
}

void DatabaseWiring::changed() {
    if (tablesChanged_) tablesChanged_();
    refreshTitle();
}

void DatabaseWiring::loadPores() {
    unreadPoreFile_.clear();
    if (!name_.named()) {
        clearPorePoints(*pores_);
        clearDeadVolumes(*pores_);
        return;
    }
    const PoreFileResult loaded = loadPorePoints(name_.path, *pores_);
    if (loaded.ok) return;
    clearPorePoints(*pores_);
    clearDeadVolumes(*pores_);
    unreadPoreFile_ = name_.path;
    prompts_.message("错误", loaded.message, PromptIcon::Error);
}

void DatabaseWiring::markSaved() {
    savedDatabase_ = databaseFingerprint(*state_.database);
    savedPores_ = porePointsFingerprint(*pores_);
}

bool DatabaseWiring::unsavedChanges() const {
    return databaseFingerprint(*state_.database) != savedDatabase_ || porePointsFingerprint(*pores_) != savedPores_;
}

void DatabaseWiring::refreshTitle() {
    const QString title = QString::fromStdString(mainWindowTitle(name_.title, unsavedChanges()));
    if (window_.windowTitle() != title) window_.setWindowTitle(title);
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
        // An old pore file of the same name must not come back with the new, empty database.
        unreadPoreFile_.clear();
        const PoreFileResult pores = savePorePoints(name_.path, *pores_);
        if (!pores.ok) prompts_.message("错误", pores.message, PromptIcon::Error);
        markSaved();
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
        loadPores();
        markSaved();
    }
    changed();
    return replaced;
}

bool DatabaseWiring::saveDatabase() {
    DatabaseSession s = session();
    const bool saved = saveBeforeLeaving(s) == LeaveDecision::Proceed;
    adoptName();
    refreshTitle();
    return saved;
}

bool DatabaseWiring::saveBeforeExit() {
    DatabaseSession s = session();
    const bool leave = saveAtExit(s) == LeaveDecision::Proceed;
    adoptName();
    refreshTitle();
    return leave;
}

}  // namespace vespian
