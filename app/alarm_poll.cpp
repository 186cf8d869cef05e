#include "app/alarm_poll.h"

#include "link/instrument_link.h"
#include "link/instrument_readings.h"

namespace vespian {

std::optional<AlarmMessage> alarmMessageFor(int32_t alarmCode, bool programRunning) {
    switch (alarmCode) {
    case kAlarmSensorFault:
        return AlarmMessage{kAlarmCaption,
                            programRunning ? "温度传感器故障!!!!程序升温已停止!!请检查!!" : "温度传感器故障!!!!请检查!!",
                            true};
    case kAlarmSensorNotInFurnace:
        return AlarmMessage{kAlarmCaption, "温度传感器未置于炉中!!!!程序升温已停止!!请检查!!", true};
    case kAlarmGasLeak:
        return AlarmMessage{kAlarmCaption, "检测到可燃气体泄漏!!请立即关闭仪器电源!!检查气路!!", false};
    default:
        return std::nullopt;
    }
}

ForcedStop forcedStopFor(bool programRunning) {
    if (!programRunning) return {};
    return {true, ProgramStopFrame()};
}

std::optional<AlarmMessage> AlarmPoll::tick(int32_t alarmCode, bool programRunning) {
    if (showing_) return std::nullopt;
    std::optional<AlarmMessage> alarm = alarmMessageFor(alarmCode, programRunning);
    showing_ = alarm.has_value();
    forcedStopPending_ = alarm && alarm->startsForcedStop;
    return alarm;
}

AlarmPoll::AfterTick AlarmPoll::acknowledged() {
    AfterTick after;
    after.startForcedStopTimer = forcedStopPending_;
    showing_ = false;
    forcedStopPending_ = false;
    return after;
}

bool performForcedStop(bool& programmeRunning, InstrumentLink* link) {
    const ForcedStop stop = forcedStopFor(programmeRunning);
    if (!stop.stopsProgram) return false;
    programmeRunning = false;
    if (link != nullptr) link->send(stop.frame);
    return true;
}

}  // namespace vespian
