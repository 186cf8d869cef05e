#pragma once
// Cuts the analyser's incoming bytes into commands. The first byte says how long a command is;
// the bytes may arrive in any chunks. A byte that starts no command is skipped on its own, so
// the parser finds the next command after line noise. Nothing is allocated: the buffer holds
// one command at most.

#include <array>
#include <cstdint>

namespace vespian::sim {

inline constexpr int kLongestCommand = 8;

struct ParsedCommand {
    std::array<uint8_t, kLongestCommand> bytes{};
    int length = 0;
};

class CommandParser {
public:
    // Length of the command that `first` begins, 0 when it begins none.
    static int lengthOf(uint8_t first);

    // Takes one byte; true when it completes a command, which is then copied to `command`.
    bool push(uint8_t byte, ParsedCommand& command);
    long skippedBytes() const { return skipped_; }

private:
    std::array<uint8_t, kLongestCommand> buffer_{};
    int have_ = 0;
    int want_ = 0;
    long skipped_ = 0;
};

}  // namespace vespian::sim
