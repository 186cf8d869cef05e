#include "sim/simulator_faults.h"

#include <algorithm>

#include "sim/simulated_analyser.h"

namespace vespian::sim {

double silenceSeconds(SimulatorFault fault) {
    switch (fault) {
    case SimulatorFault::Silence3: return 3.0;
    case SimulatorFault::Silence10: return 10.0;
    case SimulatorFault::Silence30: return 30.0;
    default: return 0.0;
    }
}

void applyFault(SimulatedAnalyser& analyser, SimulatorFault fault, double speed, const SimulatorFaultSettings& settings) {
    const double instrumentPerWall = speed > 0.0 ? speed : 1.0;
    const double alarmClearsAfterS = std::max(settings.alarmClearsAfterS, 0.0) * instrumentPerWall;
    switch (fault) {
    case SimulatorFault::Alarm1: analyser.setAlarm(1, alarmClearsAfterS); break;
    case SimulatorFault::Alarm2: analyser.setAlarm(2, alarmClearsAfterS); break;
    case SimulatorFault::Alarm3: analyser.setAlarm(3, alarmClearsAfterS); break;
    case SimulatorFault::ClearAlarm: analyser.setAlarm(0); break;
    case SimulatorFault::Silence3:
    case SimulatorFault::Silence10:
    case SimulatorFault::Silence30:
        analyser.silence(silenceSeconds(fault) * instrumentPerWall);
        break;
    case SimulatorFault::Garbage: analyser.injectGarbage(kGarbageBytes); break;
    case SimulatorFault::InsertByte: analyser.insertByte(0x5A); break;
    }
}

}  // namespace vespian::sim
