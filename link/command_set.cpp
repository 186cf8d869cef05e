#include "link/command_set.h"

#include <initializer_list>

namespace vespian {

namespace {

constexpr uint8_t kValveFamily = 0x3A;     // ':'
constexpr uint8_t kFlowFamily = 0x3B;      // ';'
constexpr uint8_t kCleaningFamily = 0x3C;  // '<'
constexpr uint8_t kProgramFamily = 0x3E;   // '>'
constexpr uint8_t kProgramLoad = 0x00;
constexpr uint8_t kProgramStart = 0x30;    // '0'
constexpr uint8_t kProgramStop = 0x31;     // '1'
constexpr uint8_t kSwitchOn = 0x10;
constexpr uint8_t kSwitchOff = 0x20;
constexpr uint8_t kInjectorBase = 0xC0;    // bits 7 and 6 mark a one-byte injector command
constexpr int kValveCount = 8;
constexpr int kCleaningChannels = 2;
constexpr int kFlowChannels = 4;
constexpr int kInjectorPositions = 4;
constexpr uint8_t kMaxGasCode = 0x0F;      // the gas code shares its byte with the channel

Command bytesOf(std::initializer_list<uint8_t> bytes) {
    Command command;
    for (uint8_t b : bytes) command.bytes[command.length++] = b;
    return command;
}

// Bit 2 + (position - 1): position 1 is 0x04, position 4 is 0x20.
constexpr uint8_t positionBit(int position) { return static_cast<uint8_t>(0x04u << (position - 1)); }

Command programFrame(uint8_t segment, uint16_t target, uint8_t rate, uint16_t hold, uint8_t action) {
    return bytesOf({kProgramFamily, segment, static_cast<uint8_t>(target >> 8),
                    static_cast<uint8_t>(target & 0xFF), rate, static_cast<uint8_t>(hold >> 8),
                    static_cast<uint8_t>(hold & 0xFF), action});
}

}  // namespace

Command StartStream() { return bytesOf({0x37}); }
Command Halt() { return bytesOf({0x48}); }
Command MeasureOn() { return bytesOf({0x44, 0x45}); }
Command CalibrationOn() { return bytesOf({0x41, 0x42}); }

Command InjectorCommand(InjectorOperation operation, const InjectorPositions& positions) {
    // Any other operation value would turn the byte into an automatic desorption step.
    if (operation != InjectorOperation::Adsorb && operation != InjectorOperation::Desorb) return {};
    uint8_t byte = kInjectorBase | static_cast<uint8_t>(operation);
    for (int p = 1; p <= kInjectorPositions; ++p) {
        if (positions.position[p - 1]) byte |= positionBit(p);
    }
    return bytesOf({byte});
}

Command AutoDesorbStep(int position) {
    if (position < 1 || position > kInjectorPositions) return {};
    return bytesOf({static_cast<uint8_t>(kInjectorBase | positionBit(position))});
}

Command ValveFrame(int valve, bool on) {
    // Valve 16 would read as "valve 0 off": out-of-range buttons send nothing.
    if (valve < 0 || valve >= kValveCount) return {};
    return bytesOf({kValveFamily, static_cast<uint8_t>((on ? kSwitchOn : kSwitchOff) + valve)});
}

Command FlowFrame(int channel, uint8_t gasCode, uint16_t setpoint) {
    // A gas code above 15 would spill into the channel nibble and set another channel.
    if (channel < 1 || channel > kFlowChannels || gasCode > kMaxGasCode) return {};
    return bytesOf({kFlowFamily, static_cast<uint8_t>(channel * 16 + gasCode),
                    static_cast<uint8_t>(setpoint >> 8), static_cast<uint8_t>(setpoint & 0xFF)});
}

Command CleaningFrame(int channel, bool start) {
    if (channel < 0 || channel >= kCleaningChannels) return {};
    return bytesOf({kCleaningFamily, static_cast<uint8_t>((start ? kSwitchOn : kSwitchOff) + channel)});
}

Command ProgramFrame(uint8_t segment, uint16_t target, uint8_t rate, uint16_t hold) {
    return programFrame(segment, target, rate, hold, kProgramLoad);
}

Command ProgramStartFrame() { return programFrame(0, 0, 0, 0, kProgramStart); }

Command ProgramStopFrame(uint8_t segment, uint16_t target, uint8_t rate, uint16_t hold) {
    return programFrame(segment, target, rate, hold, kProgramStop);
}

}  // namespace vespian
