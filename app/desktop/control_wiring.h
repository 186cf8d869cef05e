#pragma once
// The instrument control as the running program has it: one InstrumentControl over a context
// made from the program state, its windows behind the menu commands, the injector dialog followed
// by the automatic desorption, the forced stop after a sensor alarm reaching the open programme
// dialog, and the simulator's menu when the analyser is the simulator.
//
// The control state is the program state's: the programme dialog changes the furnace
// programme's running flag there, and the main window's close rules and alarm poll read it
// from there.

#include <QObject>
#include <memory>
#include <set>

#include "control/desktop/control_context.h"
#include "sim/step_alarm.h"

class QMenu;

namespace vespian {

class InstrumentControl;
class MainWindow;
class Prompts;
struct ProgramState;

namespace sim {
class SimulatedAnalyser;
}

class ControlWiring : public QObject {
    Q_OBJECT

public:
    // `simulator` is the simulated analyser when the program runs with it (its menu is added,
    // with `speed` for the length of its silences), else null.
    ControlWiring(MainWindow& window, ProgramState& state, Prompts& prompts, sim::SimulatedAnalyser* simulator = nullptr,
                  double speed = 1.0);
    ~ControlWiring() override;

    InstrumentControl& instrument() { return *instrument_; }
    ControlState& controlState();
    ControlContext& context() { return context_; }
    QMenu* simulatorMenu() const { return simulatorMenu_; }
    // The alarm the simulator menu arms for a step of a method run.
    sim::StepAlarmTrigger& stepAlarm() { return stepAlarm_; }

    // The injector dialog, then the automatic desorption re-armed with what it returned.
    void openInjector();
    // Timer 9998: a running programme is stopped, in the open dialog too. True when one was.
    bool forcedStop();

private:
    // Runs one window of a kind; a second request while it is open brings the open one forward.
    template <typename Open>
    void once(int kind, Open open);
    // Runs a dialog that may send gases and flows; what changed becomes one audit row.
    template <typename Open>
    void auditedFlows(Open open);

    MainWindow& window_;
    ProgramState& state_;
    ControlContext context_;
    std::unique_ptr<InstrumentControl> instrument_;
    QMenu* simulatorMenu_ = nullptr;
    sim::StepAlarmTrigger stepAlarm_;
    std::set<int> open_;
};

}  // namespace vespian
