#include "control/desktop/simulator_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <memory>

#include "control/desktop/step_alarm_dialog.h"
#include "sim/simulator_faults.h"
#include "sim/step_alarm.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QMenu* addSimulatorMenu(QMenuBar* bar, sim::SimulatedAnalyser& analyser, double speed,
                        sim::StepAlarmTrigger* stepAlarm) {
    QMenu* menu = bar->addMenu(qs(sim::kSimulatorMenuTitle));
    menu->setObjectName("simulatorMenu");
    // The menu's settings live as long as the menu.
    auto settings = std::make_shared<sim::SimulatorFaultSettings>();
    int index = 0;
    for (const sim::SimulatorFaultEntry& entry : sim::kSimulatorFaults) {
        if (entry.separatorBefore) menu->addSeparator();
        QAction* action = menu->addAction(qs(entry.label));
        action->setObjectName(QString("simulatorFault%1").arg(index++));
        const sim::SimulatorFault fault = entry.fault;
        QObject::connect(action, &QAction::triggered, menu,
                         [&analyser, fault, speed, settings] { sim::applyFault(analyser, fault, speed, *settings); });
        if (fault == sim::SimulatorFault::ClearAlarm) {
            QAction* selfClear = menu->addAction(qs(sim::kAlarmSelfClearLabel));
            selfClear->setObjectName("simulatorAlarmSelfClear");
            selfClear->setCheckable(true);
            QObject::connect(selfClear, &QAction::toggled, menu, [settings](bool on) {
                settings->alarmClearsAfterS = on ? sim::kAlarmSelfClearSeconds : 0.0;
            });
            if (stepAlarm != nullptr) {
                QAction* atStep = menu->addAction(qs(sim::kStepAlarmMenuLabel));
                atStep->setObjectName("simulatorStepAlarm");
                QObject::connect(atStep, &QAction::triggered, menu, [bar, stepAlarm] {
                    StepAlarmDialog dialog(*stepAlarm, bar->window());
                    dialog.exec();
                });
            }
        }
    }
    return menu;
}

}  // namespace vespian
