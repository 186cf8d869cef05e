#pragma once
// The faults an operator in training (or a test) can provoke in the simulated analyser: the three
// alarm codes, a link that falls silent for some seconds, garbage on the line and one inserted
// byte. The desktop's "模拟仪器" menu lists them in this order. An alarm stays until "解除报警",
// or, with the setting below, clears by itself as a sensor that recovers does.

#include <array>
#include <cstddef>
#include <string_view>

namespace vespian::sim {

class SimulatedAnalyser;

enum class SimulatorFault {
    Alarm1,
    Alarm2,
    Alarm3,
    ClearAlarm,
    Silence3,
    Silence10,
    Silence30,
    Garbage,
    InsertByte,
};

struct SimulatorFaultEntry {
    SimulatorFault fault;
    std::string_view label;
    bool separatorBefore = false;
};

inline constexpr std::string_view kSimulatorMenuTitle = "模拟仪器";
inline constexpr std::array<SimulatorFaultEntry, 9> kSimulatorFaults = {{
    {SimulatorFault::Alarm1, "报警1：温度传感器故障"},
    {SimulatorFault::Alarm2, "报警2：温度传感器未置于炉中"},
    {SimulatorFault::Alarm3, "报警3：可燃气体泄漏"},
    {SimulatorFault::ClearAlarm, "解除报警"},
    {SimulatorFault::Silence3, "通信中断3秒", true},
    {SimulatorFault::Silence10, "通信中断10秒"},
    {SimulatorFault::Silence30, "通信中断30秒"},
    {SimulatorFault::Garbage, "发送乱码(200字节)", true},
    {SimulatorFault::InsertByte, "插入一个字节"},
}};

inline constexpr size_t kGarbageBytes = 200;

struct SimulatorFaultSettings {
    // Wall seconds after which an alarm clears by itself; 0: it stays until "解除报警".
    double alarmClearsAfterS = 0.0;
};
inline constexpr double kAlarmSelfClearSeconds = 10.0;
inline constexpr std::string_view kAlarmSelfClearLabel = "报警10秒后自动解除";

// Applies the fault now. A silence lasts that many wall seconds, and so does an alarm that clears
// by itself: the instrument's clock runs `speed` times the wall's (0 or less: as fast as the line
// is read, where wall seconds are taken as instrument seconds).
void applyFault(SimulatedAnalyser& analyser, SimulatorFault fault, double speed,
                const SimulatorFaultSettings& settings = {});

// Seconds of silence a fault asks for, 0 for the others.
double silenceSeconds(SimulatorFault fault);

}  // namespace vespian::sim
