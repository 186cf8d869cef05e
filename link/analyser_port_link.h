#pragma once
// The stable name that the package's udev rule gives the analyser's USB serial bridge:
// /dev/trv-8800, a link to its /dev/ttyUSB<n>. The kernel serial driver lists that port first,
// so with two analysers attached the one udev named last is the one opened.

#include <cstdint>
#include <string>
#include <vector>

namespace vespian {

inline constexpr char kAnalyserPortLink[] = "trv-8800";

// The port numbers n of devRoot/ttyUSB<n>, with the port that devRoot/trv-8800 leads to moved to
// the front; the others keep their order. Without the link, or with a link to a port that is not
// listed, the order is left as it is.
std::vector<uint32_t> linkedPortFirst(const std::string& devRoot, std::vector<uint32_t> ports);

}  // namespace vespian
