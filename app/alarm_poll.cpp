#include "app/alarm_poll.h"

#include "app/event_log.h"
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

std::string_view alarmName(int32_t alarmCode) {
    switch (alarmCode) {
    case kAlarmSensorFault: return "温度传感器故障";
    case kAlarmSensorNotInFurnace: return "温度传感器未置于炉中";
    case kAlarmGasLeak: return "可燃气体泄漏";
    default: return {};
    }
}

AlarmPoll::Step AlarmPoll::tick(int32_t alarmCode, bool programRunning, int64_t wallSeconds, EventLog& log) {
    Step step;
    if (showing_) return step;
    if (!programRunning) forcedStopArmed_ = false;
    const std::optional<AlarmMessage> alarm = alarmMessageFor(alarmCode, programRunning);
    const int32_t code = alarm ? alarmCode : 0;
    if (code != current_) {
        if (current_ != 0) log.add(EventKind::AlarmCleared, "报警解除：" + std::string(alarmName(current_)), wallSeconds);
        current_ = code;
        if (alarm) {
            log.add(EventKind::Alarm, std::string(alarm->text), wallSeconds);
            step.box = alarm;
            showing_ = true;
            // A faulty sensor lets the furnace heat blindly: stop at once, while the box waits
            // for the operator, so its "程序升温已停止" is true when it is read.
            step.startForcedStopTimer = alarm->startsForcedStop;
            forcedStopArmed_ = alarm->startsForcedStop;
        }
        return step;
    }
    // The box was seen already; a programme started under the same sensor alarm heats blindly.
    if (alarm && alarm->startsForcedStop && programRunning && !forcedStopArmed_) {
        forcedStopArmed_ = true;
        step.startForcedStopTimer = true;
    }
    return step;
}

AlarmPoll::AfterBox AlarmPoll::acknowledged() {
    showing_ = false;
    return {};
}

std::string AlarmPoll::statusText() const {
    if (current_ == 0) return {};
    return "报警：" + std::string(alarmName(current_));
}

}  // namespace vespian
