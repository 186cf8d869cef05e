#pragma once
// An evaluation step carried out on the one test report, the way the operator fills it at the
// report windows: the recorded stretch applied as the sample ("样品"), the sample's data and the
// test's parameters entered, and then
// - TPD/TPR/TPO: the Tm values picked from the automatic proposals (the maxima that stand out
//   above the noise), with the programme's upper temperature and ramp rate;
// - titration: the pulse series as the stretch, one pulse that came through whole (the mean of
//   the agreeing ones at saturation) as the quantitative pulse with the loop's volume, the
//   number of pulses injected, the metal's preset values and mass fraction, and the titration
//   calculated; for pulse chemisorption two surface atoms per hydrogen molecule;
// - desorption: the recorded stretch against the pulse series' full pulse, when there was one.

#include <cstdint>
#include <string>

#include "files/test_report.h"
#include "method/method_file.h"
#include "method/method_runner.h"

namespace vespian {

class Chromatogram;
class QuantPeak;

struct EvaluationOutcome {
    bool ok = false;
    std::string message;  // what was filled in, or why nothing was
    int32_t tmCount = 0;
};

// `quant` is the program's quantitative peak, which a titration replaces with its full pulse.
EvaluationOutcome evaluateRun(EvaluatedKind kind, const MethodFile& method, const RunResults& results,
                              const Chromatogram& trace, TestReport& report, QuantPeak& quant, const ReportDate& date);

}  // namespace vespian
