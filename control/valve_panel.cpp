#include "control/valve_panel.h"

namespace vespian {

std::string_view valveCaption(int32_t k, bool on, bool toggledSinceOpening) {
    switch (k) {
    case 6:
        if (on) return "└→";
        return toggledSinceOpening ? "─→" : " ─→";
    case 7:
        return on ? "↑" : " ┌→";
    default:
        return on ? "→" : "╳";
    }
}

ValveToggle toggleValve(ValveStates& valves, int32_t k) {
    ValveToggle toggle;
    if (k < 0 || k >= kValveCount) return toggle;
    int32_t& state = valves.state[static_cast<size_t>(k)];
    state = state == 0 ? 1 : 0;
    toggle.on = state != 0;
    toggle.frame = ValveFrame(k, toggle.on);
    toggle.caption = valveCaption(k, toggle.on, true);
    return toggle;
}

}  // namespace vespian
