#include "control/desktop/simulator_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "sim/simulator_faults.h"

namespace vespian {

QMenu* addSimulatorMenu(QMenuBar* bar, sim::SimulatedAnalyser& analyser, double speed) {
    const std::string_view title = sim::kSimulatorMenuTitle;
    QMenu* menu = bar->addMenu(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    menu->setObjectName("simulatorMenu");
    int index = 0;
    for (const sim::SimulatorFaultEntry& entry : sim::kSimulatorFaults) {
        if (entry.separatorBefore) menu->addSeparator();
        QAction* action = menu->addAction(QString::fromUtf8(entry.label.data(), static_cast<qsizetype>(entry.label.size())));
        action->setObjectName(QString("simulatorFault%1").arg(index++));
        const sim::SimulatorFault fault = entry.fault;
        QObject::connect(action, &QAction::triggered, menu, [&analyser, fault, speed] { sim::applyFault(analyser, fault, speed); });
    }
    return menu;
}

}  // namespace vespian
