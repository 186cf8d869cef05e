#include "app/sent_frames.h"

#include <string>
#include <vector>

namespace vespian {

namespace {

constexpr uint8_t kValveFamily = 0x3A;
constexpr uint8_t kFlowFamily = 0x3B;
constexpr uint8_t kProgramFamily = 0x3E;
constexpr uint8_t kProgramLoad = 0x00;
constexpr uint8_t kProgramStart = 0x30;
constexpr uint8_t kProgramStop = 0x31;
constexpr uint8_t kSwitchOn = 0x10;
constexpr uint8_t kSwitchOff = 0x20;
constexpr uint8_t kInjectorMark = 0xC0;

int32_t word(uint8_t high, uint8_t low) { return (static_cast<int32_t>(high) << 8) | low; }

std::string positionsText(uint8_t byte) {
    std::string text;
    for (int p = 1; p <= 4; ++p) {
        if ((byte & (0x04u << (p - 1))) == 0) continue;
        if (!text.empty()) text += ",";
        text += std::to_string(p);
    }
    return text;
}

}  // namespace

void SentFrames::sent(RunRecorder& recorder, const Command& frame, WallMs at, const FlowChannels& flows,
                      double furnaceC) {
    const uint8_t* b = frame.bytes.data();
    if (frame.length == 1 && (b[0] & kInjectorMark) == kInjectorMark) {
        const uint8_t operation = b[0] & 0x03;
        const std::string positions = positionsText(b[0]);
        const char* what = operation == 1 ? "吸附" : operation == 2 ? "脱附" : "自动脱附";
        // One event per position, so a record says which loop did what.
        for (char c : positions) {
            if (c == ',') continue;
            recorder.injector(at, c - '0', what);
        }
        return;
    }
    if (frame.length == 2 && b[0] == kValveFamily) {
        const int32_t code = b[1];
        if (code >= kSwitchOff && code < kSwitchOff + 8) recorder.valveChanged(at, code - kSwitchOff, false);
        if (code >= kSwitchOn && code < kSwitchOn + 8) recorder.valveChanged(at, code - kSwitchOn, true);
        return;
    }
    if (frame.length == 4 && b[0] == kFlowFamily) {
        const int32_t channel = b[1] >> 4;
        if (channel < 1 || channel > kFlowChannelCount) return;
        const std::string gas(gasNameOf(flows.channel[static_cast<size_t>(channel - 1)]));
        if (!gas.empty()) recorder.gasChanged(at, channel, gas);
        recorder.flowChanged(at, channel, static_cast<double>(word(b[2], b[3])));
        return;
    }
    if (frame.length == 8 && b[0] == kProgramFamily) {
        const RecordedSegment segment{static_cast<double>(word(b[2], b[3])), static_cast<double>(b[4]),
                                     static_cast<double>(word(b[5], b[6]))};
        switch (b[7]) {
        case kProgramLoad: segments_[b[1]] = segment; break;
        case kProgramStart: {
            std::vector<RecordedSegment> programme;
            for (const auto& [number, loaded] : segments_) programme.push_back(loaded);
            recorder.furnaceStarted(at, furnaceC, std::move(programme));
            break;
        }
        case kProgramStop:
            // Six zero bytes: the program's forced stop (an alarm, a discarded programme), after
            // which the analyser holds no programme; the operator's stop keeps it for a restart.
            recorder.furnaceStopped(at, b[1] == 0 ? "forced" : "operator");
            if (b[1] == 0) segments_.clear();
            break;
        default: break;
        }
    }
}

}  // namespace vespian
