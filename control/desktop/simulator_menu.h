#pragma once
// The menu "模拟仪器", present only while the program runs with the simulated analyser: it
// provokes the analyser's alarms and link faults, for training and for trying the program's
// answers to them.

class QMenu;
class QMenuBar;

namespace vespian {

namespace sim {
class SimulatedAnalyser;
class StepAlarmTrigger;
}

// Adds the menu to the bar and returns it. `speed` is the simulator's (instrument seconds per wall
// second), so a silence lasts the wall seconds its entry names. With `stepAlarm` the menu also
// asks for an alarm raised when a method run enters a chosen step.
QMenu* addSimulatorMenu(QMenuBar* bar, sim::SimulatedAnalyser& analyser, double speed,
                        sim::StepAlarmTrigger* stepAlarm = nullptr);

}  // namespace vespian
