#pragma once
// What the archive is told of a saved file besides its bytes: a report names its sample, its
// weight and the results it holds (the calibration pulse area, the dispersion, the active area),
// so they can be found and followed over time; databases and exports are registered as files.

#include <span>
#include <string>

#include "analysis/evaluation_footer.h"
#include "analysis/stated_uncertainties.h"
#include "app/run_archiving.h"
#include "platform/saved_files.h"

namespace vespian {

class TestReport;

// A report's dispersion and active area carry their uncertainty from the `stated` inputs and the
// dispersion its plausibility flag.
SaveFacts saveFactsFor(SavedFileKind kind, const std::string& path, const TestReport& report,
                       const StatedUncertainties& stated);

// An evaluation panel's export (its CSV at `path`): an evaluation with every result that has a
// value, its u and the flags' codes, and the panel's settings as its parameters.
SaveFacts evaluationExportFacts(const std::string& path, std::span<const ResultLine> lines,
                                std::span<const PlausibilityFlag> flags,
                                std::span<const EvaluationParameter> parameters);

}  // namespace vespian
