#pragma once
// The program's one top-level window: menu, toolbars, the view area and the status bar; every
// command of the menu, the toolbars, the accelerators and the drawn view buttons arrives here
// and goes to its handler; the timers take over the acquired points, watch the link, show the
// flows and the alarms.

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>

#include "app/command_tables.h"
#include "app/program_state.h"

class QAction;
class QToolBar;

namespace vespian {

class Prompts;
class ViewArea;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // `simulated`: the analyser is the simulator, and the status bar says so.
    MainWindow(ProgramState& state, Prompts& prompts, bool simulated, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The creation sequence once the window exists: instrument-control state reset, link opened
    // and started, the view drawn, the timers started. The splash (if any) is closed by the caller
    // right after.
    void create();

    // Every command id, from the menu, a toolbar, an accelerator or another command.
    void dispatch(int commandId);
    // A drawn view button was pressed (index 0–20).
    void viewButtonPressed(int index);

    // The timers, one tick each (public so tests can drive them without waiting).
    void displayTick();
    void watchdogTick();
    void flowTick();
    void alarmTick();
    void linkStatusTick();
    void programmeAbortTick();

    ViewArea* viewArea() const { return viewArea_; }
    QString statusPartText(int part) const;
    QAction* menuAction(int commandId) const;
    QAction* toolbarAction(int commandId) const;  // toolbar A's button
    QToolBar* toolbar(int which) const { return toolbars_[which]; }
    bool timerActive(int timerId) const;

    // Called by the display tick while measuring or calibrating, after the new points are taken
    // over: the automatic peak recognition hands each completed peak on from here.
    void setPeakHandOver(std::function<void()> handOver) { peakHandOver_ = std::move(handOver); }

    // Exit (command 105) closes whatever runs; the close button does not while the furnace
    // programme runs.
    void exitProgram();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolbars();
    void buildStatusBar(bool simulated);
    void applyEffects(const std::vector<WindowEffect>& effects);
    void applyDesorptionEffects(const std::vector<DesorptionEffect>& effects);
    void setStatus(int part, const QString& text);
    void notYetAvailable(const QString& what);
    QString commandName(int commandId) const;
    void openSettings();
    void showAbout();
    void confirmAndRun(const CommandEntry& entry);
    void switchView(ViewMode view);
    void addLastPointToZeroOffset();
    void showDispatchNotice(int commandId);
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
    std::map<int, QTimer*> timers_;
    std::function<void()> peakHandOver_;
    bool exitRequested_ = false;
    bool alarmShowing_ = false;
};

}  // namespace vespian
