#pragma once
// A capture file seen as an attached analyser: it lists one "TRV-8800" and its device returns
// the recorded bytes, either at the pace they were recorded or as fast as they are read. What it
// is sent is ignored. When the recording is over the device falls silent, as an instrument
// switched off would, and reads wait out their time-out.

#include <memory>
#include <string>

#include "link/capture_file.h"
#include "link/device.h"

namespace vespian {

class ReplayDriver final : public DeviceDriver {
public:
    ReplayDriver(CaptureRecording recording, bool paced);

    // True once every recorded byte has been read.
    bool finished() const;

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

    struct State;  // the recording and how far it has been read; shared with the devices

private:
    std::shared_ptr<State> state_;
};

}  // namespace vespian
