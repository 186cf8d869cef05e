#pragma once
// Where the program looks for its analyser, from the command line:
//
//   (nothing)              attached instruments: the vendor's D2XX library, then /dev/ttyUSB*
//   --simulator            the simulated analyser only, with --seed N and --speed X or --fast
//   --port PATH            exactly this serial port (another USB-serial adapter, any tty)
//   --replay FILE          a capture file replayed as the analyser, at its pace or --fast
//   --capture FILE         also record every received byte into a capture file
//
// The choice is made once at start; only one source may be named.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/device.h"

namespace vespian {

class CapturingDriver;
class ReplayDriver;
namespace sim {
class SimulatorDriver;
}

struct LinkOptions {
    enum class Source { Instruments, Simulator, Port, Replay };
    Source source = Source::Instruments;
    uint64_t seed = 1;
    double speed = 1.0;  // instrument seconds per wall second; 0 = as fast as it can be read
    std::string port;
    std::string replayPath;
    std::string capturePath;
};

// Takes the link options out of args; everything else is left in *rest, in order. False with
// a message for the operator when a link option is malformed or two sources are named.
bool parseLinkOptions(const std::vector<std::string>& args, LinkOptions* options, std::vector<std::string>* rest,
                      std::string* error);

// The device source the link lists and opens, with handles on the parts that take part.
struct DeviceSources {
    std::unique_ptr<DeviceDriver> driver;
    sim::SimulatorDriver* simulator = nullptr;  // set with --simulator
    ReplayDriver* replay = nullptr;             // set with --replay
    CapturingDriver* capture = nullptr;         // set with --capture
};

// False with a message when a replay file cannot be used or a capture file cannot be created.
bool makeDeviceSources(const LinkOptions& options, DeviceSources* sources, std::string* error);

// The options' usage lines, for --help.
std::string linkOptionsUsage();

}  // namespace vespian
