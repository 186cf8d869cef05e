#pragma once
// The evaluations vespian-report runs for scripts, each printing one JSON object with every
// value, its standard uncertainty and every plausibility flag:
//   --evaluate FILE           a trace (.lne) or report (.care): baseline, Tm proposals,
//                             deconvolution with the preferred peak shape, amounts, checks
//   --kinetics A.lne B.lne …  the desorption kinetics over several runs, each run's heating
//                             rate read from its temperature; --fit-order fits the order too
//   --bet-auto DB RECORD      the automatic BET range of one surface-area report of a database
// --uncertainties FILE names the stated input uncertainties (Uncertainty.ini); defaults without.

#include <cstdio>

namespace vespian {

struct ReportOptions;

// One of the exit codes of report_options.h.
int runEvaluationMode(const ReportOptions& options, std::FILE* out, std::FILE* err);

}  // namespace vespian
