#pragma once
// The program's one top-level window: menu, toolbars, the view area and the status bar; every
// command of the menu, the toolbars, the accelerators and the drawn view buttons arrives here
// and goes to its handler; the timers take over the acquired points, watch the link, show the
// flows and the alarms, and keep the recovery journal. What each of these does is decided by the
// core units (display tick, alarm poll, mouse, measurement state, settings apply); this class
// carries their answers out.
//
// Other subsystems plug in without editing the dispatch: a handler per command id
// (handleCommand), per route (handleRoute) or per view button (handleViewButton), the peak
// hand-over of the display tick (setPeakHandOver) with the windows it opens, one opener per
// window template (handlePeakDialog), and the "应用于..." dialog of a manual pick
// (setManualPickHandler). A command nobody handles yet answers "功能尚未提供".

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>

#include "app/alarm_poll.h"
#include "app/command_tables.h"
#include "app/display_tick.h"
#include "app/program_state.h"
#include "app/trace_mouse.h"
#include "trace/recovery_journal.h"

class QAction;
class QToolBar;

namespace vespian {

class EventListWindow;
class Prompts;
class ViewArea;

inline constexpr int kTimerJournal = 6270;  // the recovery journal's update

// The window's size when it is not maximised, and the least it can be made: room for the
// toolbar, the status bar's six parts and a plot.
inline constexpr int kDefaultWindowWidth = 1280;
inline constexpr int kDefaultWindowHeight = 860;
inline constexpr int kMinimumWindowWidth = 1060;
inline constexpr int kMinimumWindowHeight = 640;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // `simulated`: the analyser is the simulator, and the status bar says so.
    MainWindow(ProgramState& state, Prompts& prompts, bool simulated, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Offers to restore a trace an earlier run left unsaved in the recovery journal; otherwise
    // the journal starts afresh. Call before create(), while no point is acquired yet.
    void offerRestore();

    // The creation sequence once the window exists: instrument-control state reset, link opened
    // and started, the view drawn, the timers started. The splash (if any) is closed by the caller
    // right after.
    void create();

    // Every command id, from the menu, a toolbar, an accelerator or another command.
    void dispatch(int commandId);
    // A drawn view button was pressed (index 0–20).
    void viewButtonPressed(int index);

    // Handlers of the subsystems: for one command id, for every command of a route, for one view
    // button. A command id's handler comes before its route's.
    using CommandHandler = std::function<void(const CommandEntry&)>;
    void handleCommand(int commandId, CommandHandler handler);
    void handleRoute(CommandRoute route, CommandHandler handler);
    void handleViewButton(int index, std::function<void()> handler);
    // The handler a route has now (empty: none), so a subsystem can add to it, not replace it.
    CommandHandler routeHandler(CommandRoute route) const;
    // Asked last before the window closes (the programme and trace checks passed); false keeps
    // the window open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Asked first when the window is to close, before the programme and trace checks: a method
    // run asks whether to end it, and ends it safely; false keeps the window open.
    void setRunGuard(std::function<bool()> guard) { runGuard_ = std::move(guard); }
    // Called at the end of every display tick, once the new points are taken over (the method
    // runner's tick).
    void setTickListener(std::function<void()> listener) { tickListener_ = std::move(listener); }
    // Step 6 of the display tick, and the window each of its dialogs opens (by template id:
    // the quantitative-peak window, the BET point dialog, the calibration dialog).
    void setPeakHandOver(PeakHandOver* handOver);
    void handlePeakDialog(int dialogTemplate, std::function<void()> opener);
    // A completed manual pick: opens the "应用于..." dialog for the sorted stretch.
    void setManualPickHandler(std::function<void(int32_t start, int32_t end)> handler);
    // The forced stop of the furnace programme (timer 9998), carried out by the instrument
    // control so that the open programme dialog shows it too; it answers whether a programme
    // was stopped. Without one, the running flag alone is cleared and the stop frame sent.
    void setForcedStop(std::function<bool()> stop);

    // What the automatic desorption decided: zeroing, desorption frames, its minute timers.
    void applyDesorptionEffects(const std::vector<DesorptionEffect>& effects);
    // File → "打开" and "保存" outside the trace view: the test report's file.
    void handleReportFile(std::function<void()> open, std::function<void()> save);

    // The timers, one tick each (public so tests can drive them without waiting).
    void displayTick();
    void watchdogTick();
    void flowTick();
    void alarmTick();
    void linkStatusTick();
    void programmeAbortTick();
    void journalTick();

    ViewArea* viewArea() const { return viewArea_; }
    QString statusPartText(int part) const;
    // The red part of the status bar that names an alarm while it persists.
    QLabel* alarmPart() const { return alarmPart_; }
    // Loads a trace file into the view (its run record and the open audited); false, said, when
    // it cannot be read.
    bool loadTrace(const std::string& path);
    // A manual pick's handler, so a peak found elsewhere can be applied the same way.
    const std::function<void(int32_t, int32_t)>& pickHandler() const { return manualPickHandler_; }
    // The part of the status bar that says the archive failed; hidden while it works.
    QLabel* archivePart() const { return archivePart_; }
    // After a save or an audited event: a failure shown, a success clears an earlier one.
    void showArchiveNotice(const ArchiveNotice& notice);
    // "报警与事件记录", opened by its menu item; null until then.
    EventListWindow* eventList() const { return eventList_; }
    QAction* menuAction(int commandId) const;
    QAction* toolbarAction(int commandId) const;  // toolbar A's button
    QToolBar* toolbar(int which) const { return toolbars_[which]; }
    bool timerActive(int timerId) const;
    RecoveryJournal& journal() { return journal_; }
    void showNotYetAvailable(const QString& what);

    // Exit (command 105): leaves by the same rules as the close box.
    void exitProgram();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolbars();
    void buildStatusBar(bool simulated);
    void installHandlers();
    void applyEffects(const std::vector<WindowEffect>& effects);
    void setStatus(int part, const QString& text);
    // The command's menu text without its mnemonic and shortcut, else its tooltip.
    QString commandName(int commandId) const;
    void openSettings();
    void showAbout();
    void confirmAndRun(const CommandEntry& entry);
    void openTrace();
    void saveTrace();
    void switchView(ViewMode view);
    void showDispatchNotice(int commandId);
    // Asks about an unsaved trace and saves it on Yes; the answer, Cancel when a save failed.
    PromptAnswer settleUnsavedTrace();
    void showEventList();
    void showAlarmPart();
    QTimer* makeTimer(int timerId, int periodMs, bool singleShot, void (MainWindow::*tick)());
    void restartTimer(int timerId, int periodMs);
    void stopTimer(int timerId);

    ProgramState& state_;
    Prompts& prompts_;
    ViewArea* viewArea_ = nullptr;
    QToolBar* toolbars_[3] = {nullptr, nullptr, nullptr};
    std::map<int, QAction*> menuActions_;
    std::map<int, QAction*> toolbarActions_;  // toolbar A
    QLabel* statusParts_[6] = {};
    QLabel* alarmPart_ = nullptr;
    QLabel* archivePart_ = nullptr;
    EventListWindow* eventList_ = nullptr;
    std::map<int, QTimer*> timers_;
    std::map<int, CommandHandler> commandHandlers_;
    std::map<CommandRoute, CommandHandler> routeHandlers_;
    std::map<int, std::function<void()>> viewButtonHandlers_;
    std::map<int, std::function<void()>> peakDialogOpeners_;
    std::function<void(int32_t, int32_t)> manualPickHandler_;
    std::function<bool()> forcedStop_;
    std::function<void()> reportOpen_;
    std::function<void()> reportSave_;
    std::function<bool()> closeGuard_;
    std::function<bool()> runGuard_;
    std::function<void()> tickListener_;
    DisplayTick displayTick_;
    AlarmPoll alarmPoll_;
    RecoveryJournal journal_;
    bool journalFailureShown_ = false;
    bool closing_ = false;
};

}  // namespace vespian
