#include "sim/command_parser.h"

namespace vespian::sim {

namespace {

constexpr uint8_t kInjectorMarks = 0xC0;  // bits 7 and 6: a one-byte injector command

// The second letter of the two-letter mode words "DE" and "AB"; 0 for other commands.
uint8_t secondLetterOf(uint8_t first) {
    switch (first) {
    case 'D': return 'E';
    case 'A': return 'B';
    default: return 0;
    }
}

}  // namespace

int CommandParser::lengthOf(uint8_t first) {
    if ((first & kInjectorMarks) == kInjectorMarks) return 1;
    switch (first) {
    case '>': return 8;  // programme segment, start, stop
    case ';': return 4;  // flow setpoint
    case '<':            // gas-path cleaning
    case ':':            // valve
    case 'D':            // "DE" measurement mode
    case 'A': return 2;  // "AB" calibration mode
    case '7':            // start streaming
    case 'H': return 1;  // halt
    default: return 0;
    }
}

bool CommandParser::push(uint8_t byte, ParsedCommand& command) {
    if (have_ == 1 && secondLetterOf(buffer_[0]) != 0 && byte != secondLetterOf(buffer_[0])) {
        // A lone 'D' or 'A' is noise; the byte after it may begin a real command.
        ++skipped_;
        have_ = 0;
    }
    if (have_ == 0) {
        want_ = lengthOf(byte);
        if (want_ == 0) {
            ++skipped_;
            return false;
        }
    }
    buffer_[have_++] = byte;
    if (have_ < want_) return false;
    command.bytes = buffer_;
    command.length = want_;
    have_ = 0;
    return true;
}

}  // namespace vespian::sim
