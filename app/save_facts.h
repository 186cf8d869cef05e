#pragma once
// What the archive is told of a saved file besides its bytes: a report names its sample, its
// weight and the results it holds (the calibration pulse area, the dispersion, the active area),
// so they can be found and followed over time; databases and exports are registered as files.

#include <string>

#include "app/run_archiving.h"
#include "platform/saved_files.h"

namespace vespian {

class TestReport;

SaveFacts saveFactsFor(SavedFileKind kind, const std::string& path, const TestReport& report);

}  // namespace vespian
