#pragma once
// What the main window's alarm poll does with the analyser's alarm code: the message the
// operator must acknowledge, and whether acknowledging it stops a running furnace programme
// (after the 100 ms one-shot timer). A sensor that fails or lies outside the furnace would let
// the programme heat blindly, so those alarms stop it; a gas leak is for the operator to act on
// at the instrument, so it only warns.
//
// The box comes once when a code appears, and again only after the code has cleared and come
// back: a sensor that stays faulty must not bring the box back after every OK, or the operator
// could reach no menu and save nothing. While the code persists the status bar names it, and
// every alarm and its clearing go into the event list with their time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vespian {

class EventLog;

inline constexpr std::string_view kAlarmCaption = "警告";

struct AlarmMessage {
    std::string_view caption;
    std::string_view text;
    bool startsForcedStop = false;  // acknowledging arms the forced-stop timer
};

// nullopt for no alarm and for codes the analyser does not define.
std::optional<AlarmMessage> alarmMessageFor(int32_t alarmCode, bool programRunning);
// The alarm's short name ("温度传感器故障"); empty for no alarm and undefined codes.
std::string_view alarmName(int32_t alarmCode);

// The event list's entry when the program stopped the furnace programme for an alarm.
inline constexpr std::string_view kProgrammeStoppedByAlarmText = "程序升温已因温度传感器报警停止";

// The poll timer's rule. A tick reads the alarm code. A code that appears is shown in a modal
// box, during which the poll waits; when the operator has pressed OK the poll comes again after
// 100 ms. A sensor alarm arms the forced stop when it appears, not when it is acknowledged. While a sensor alarm persists, a programme
// started in the meantime is stopped too, without a second box. The first poll comes a second
// after start-up.
class AlarmPoll {
public:
    static constexpr int32_t kFirstPollMs = 1000;
    static constexpr int32_t kPollMs = 100;
    static constexpr int32_t kForcedStopDelayMs = 100;

    struct Step {
        std::optional<AlarmMessage> box;    // show it now, then call acknowledged()
        bool startForcedStopTimer = false;  // without a box: a programme runs under a sensor alarm
    };
    // The poll timer fired at `wallSeconds`. Nothing while a box is shown.
    Step tick(int32_t alarmCode, bool programRunning, int64_t wallSeconds, EventLog& log);

    // The shown box was closed with OK: what follows.
    struct AfterBox {
        int32_t nextPollMs = kPollMs;
    };
    AfterBox acknowledged();
    bool showing() const { return showing_; }

    // The alarm that persists now, for the status bar ("报警：温度传感器故障"); empty when none.
    std::string statusText() const;
    int32_t persistingCode() const { return current_; }

private:
    bool showing_ = false;
    bool forcedStopArmed_ = false;    // armed for the programme that runs now
    int32_t current_ = 0;             // the defined alarm code last seen, 0 for none
};

}  // namespace vespian
