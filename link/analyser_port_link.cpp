#include "link/analyser_port_link.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vespian {

std::vector<uint32_t> linkedPortFirst(const std::string& devRoot, std::vector<uint32_t> ports) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root(devRoot);
    // Both sides resolved completely, so a relative or absolute link (or a chain) all compare alike.
    const fs::path target = fs::canonical(root / kAnalyserPortLink, error);
    if (error) return ports;
    const auto linked = std::find_if(ports.begin(), ports.end(), [&](uint32_t n) {
        std::error_code ignored;
        return fs::canonical(root / ("ttyUSB" + std::to_string(n)), ignored) == target;
    });
    if (linked != ports.end()) std::rotate(ports.begin(), linked, linked + 1);
    return ports;
}

}  // namespace vespian
