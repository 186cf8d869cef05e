#pragma once
// What the frames sent to the analyser mean for the run record: a flow frame sets a channel's gas
// and flow, a valve frame switches a valve, a one-byte injector command adsorbs, desorbs or steps
// the automatic desorption, and the furnace programme's frames load segments, start and stop it.
// Every frame goes out through the link's one send, which passes it here; the other frames (the
// stream, the detector mode) say nothing about the run.

#include <cstdint>
#include <map>

#include "archive/run_recorder.h"
#include "control/gas_table.h"
#include "link/command_set.h"

namespace vespian {

class SentFrames {
public:
    // `flows` names the gas last set on each channel (the flow dialog sets it before it sends);
    // `furnaceC` is the furnace temperature now, the start of a programme.
    void sent(RunRecorder& recorder, const Command& frame, WallMs at, const FlowChannels& flows, double furnaceC);

private:
    std::map<int32_t, RecordedSegment> segments_;  // by segment number, as loaded
};

}  // namespace vespian
