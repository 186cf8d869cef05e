#pragma once
// The instrument control as the running program has it: one InstrumentControl over a context
// made from the program state, its windows behind the menu commands, the injector dialog followed
// by the automatic desorption, the forced stop after a sensor alarm reaching the open programme
// dialog, and the simulator's menu when the analyser is the simulator.
//
// The furnace programme's running flag lives in the control state, where the programme dialog
// keeps it; the main window's close guard and alarm poll read the program state's copy, which is
// brought up to date after every frame sent and every window closed.

#include <QObject>
#include <memory>
#include <set>

#include "control/control_state.h"
#include "control/desktop/control_context.h"

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
    ControlState& controlState() { return control_; }
    ControlContext& context() { return context_; }
    QMenu* simulatorMenu() const { return simulatorMenu_; }

    // The injector dialog, then the automatic desorption re-armed with what it returned.
    void openInjector();
    // Timer 9998: a running programme is stopped, in the open dialog too.
    void forcedStop();

private:
    // Runs one window of a kind; a second request while it is open brings the open one forward.
    template <typename Open>
    void once(int kind, Open open);
    void syncRunning();

    MainWindow& window_;
    ProgramState& state_;
    ControlState control_{};
    ControlContext context_;
    std::unique_ptr<InstrumentControl> instrument_;
    QMenu* simulatorMenu_ = nullptr;
    std::set<int> open_;
};

}  // namespace vespian
