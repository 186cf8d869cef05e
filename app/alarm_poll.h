#pragma once
// What the main window's alarm poll does with the analyser's alarm code: the message the
// operator must acknowledge, and whether acknowledging it stops a running furnace programme
// (after the 100 ms one-shot timer). A sensor that fails or lies outside the furnace would let
// the programme heat blindly, so those alarms stop it; a gas leak is for the operator to act on
// at the instrument, so it only warns.

#include <cstdint>
#include <optional>
#include <string_view>

#include "link/command_set.h"

namespace vespian {

inline constexpr std::string_view kAlarmCaption = "警告";

struct AlarmMessage {
    std::string_view caption;
    std::string_view text;
    bool startsForcedStop = false;  // acknowledging arms the forced-stop timer
};

// nullopt for no alarm and for codes the analyser does not define.
std::optional<AlarmMessage> alarmMessageFor(int32_t alarmCode, bool programRunning);

// The forced stop when its timer fires. Only a running programme is stopped: the programme
// dialog is reset, the running flag cleared and `frame` sent.
struct ForcedStop {
    bool stopsProgram = false;
    Command frame{};  // empty when nothing is sent
};
ForcedStop forcedStopFor(bool programRunning);

// The poll timer's rule. A tick reads the alarm code; an alarm is shown in a modal box, during
// which no further alarm is raised; when the operator has pressed OK the poll comes again after
// 100 ms, so an alarm that persists is shown again at once, and a sensor alarm arms the forced
// stop. The first poll comes a second after start-up.
class AlarmPoll {
public:
    static constexpr int32_t kFirstPollMs = 1000;
    static constexpr int32_t kPollMs = 100;
    static constexpr int32_t kForcedStopDelayMs = 100;

    // The poll timer fired: the message to show now, if any. Nothing while a box is shown.
    std::optional<AlarmMessage> tick(int32_t alarmCode, bool programRunning);
    // The shown box was closed with OK (or nothing was shown): what follows.
    struct AfterTick {
        bool startForcedStopTimer = false;
        int32_t nextPollMs = kPollMs;
    };
    AfterTick acknowledged();
    bool showing() const { return showing_; }

private:
    bool showing_ = false;
    bool forcedStopPending_ = false;
};

class InstrumentLink;

// The forced-stop timer fired: a running programme is stopped (its running flag cleared, the
// stop frame sent on the link); a programme that is not running is left alone. Returns whether
// it stopped one (the programme dialog then shows its idle state).
bool performForcedStop(bool& programmeRunning, InstrumentLink* link);

}  // namespace vespian
