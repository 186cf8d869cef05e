#pragma once
// The instrument-control state the program keeps for the whole run: the furnace programme, the
// valve states and the injectors. (The flow channels live beside it in the program state.) All of
// it starts at zero when the main window is created and is never written to a file.

#include "control/furnace_program.h"
#include "control/injector_control.h"
#include "control/valve_panel.h"

namespace vespian {

struct ControlState {
    FurnaceProgram programme{};
    ValveStates valves{};
    InjectorState injectors{};
};

inline void resetControlState(ControlState* state) { *state = ControlState{}; }

}  // namespace vespian
