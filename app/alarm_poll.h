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

}  // namespace vespian
