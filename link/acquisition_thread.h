#pragma once
// The acquisition thread: reads the analyser one byte per driver call, assembles four-byte
// frames, drops a frame on the first failed byte, and decodes the rest into the trace store and
// the shared readings. It never touches the user interface.

#include "link/frame_decoder.h"

namespace vespian {

class InstrumentLink;

class AcquisitionThread {
public:
    explicit AcquisitionThread(InstrumentLink& link);
    // The thread body: runs until the link's stop flag is set or the device is closed, then
    // clears the link's thread-running flag. Returns 0.
    int run();

private:
    // True while the device is open and the stop flag is clear.
    bool mayContinue() const;
    // Reads one byte; records the status as the last read status. False on a failed read.
    bool readByte(uint8_t* byte);

    InstrumentLink& link_;
    FrameDecoder decoder_;
};

}  // namespace vespian
