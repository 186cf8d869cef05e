#pragma once
// Every command the program writes to the analyser, as pure functions that build the exact
// bytes. A command is sent in one link write; the analyser never answers it. An argument out of
// range (channel, valve, position, gas code) gives an empty command, which sends nothing, rather
// than bytes that the analyser would read as another command.

#include <array>
#include <cstdint>
#include <span>

namespace vespian {

// A built command: up to eight bytes and their count.
struct Command {
    std::array<uint8_t, 8> bytes{};
    uint32_t length = 0;
    std::span<const uint8_t> view() const { return {bytes.data(), length}; }
};

// Injector positions 1..4 as bits of InjectorCommand and AutoDesorbStep.
struct InjectorPositions {
    bool position[4] = {false, false, false, false};
};

enum class InjectorOperation : uint8_t { Adsorb = 1, Desorb = 2 };

Command StartStream();                 // '7': start sending frames
Command Halt();                        // 'H': stop; last command before closing
Command MeasureOn();                   // "DE": detector (measurement) mode
Command CalibrationOn();               // "AB": calibration mode
Command InjectorCommand(InjectorOperation operation, const InjectorPositions& positions);
Command AutoDesorbStep(int position);  // position 1..4 -> C4, C8, D0, E0
Command ValveFrame(int valve, bool on);           // valve button 0..7
Command FlowFrame(int channel, uint8_t gasCode, uint16_t setpoint);  // channel 1..4
Command CleaningFrame(int channel, bool start);   // channel 0 or 1
// Segment load: segment number, target (high, low), rate, hold (high, low), 0.
Command ProgramFrame(uint8_t segment, uint16_t target, uint8_t rate, uint16_t hold);
Command ProgramStartFrame();           // 3E 00 00 00 00 00 00 30
// Stop with the selected segment's six bytes, or six zero bytes for a forced stop.
Command ProgramStopFrame(uint8_t segment = 0, uint16_t target = 0, uint8_t rate = 0, uint16_t hold = 0);

}  // namespace vespian
