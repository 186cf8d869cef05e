#pragma once
// What an evaluation panel's export says of where its numbers came from, after its results and
// flags: the hash of the trace they were evaluated from and every setting of the evaluation, so
// a reader can tell which trace and which choices gave them. And the hand-over of such an export
// to whoever keeps the record of evaluations (the archive, in the program).

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/plausibility.h"
#include "analysis/result_text.h"

namespace vespian {

struct EvaluationParameter {
    std::string name;   // "基线"
    std::string value;  // "两点直线", as the panel shows it
};

// The CSV footer (UTF-8), after the results section:
//   谱图SHA-256,3f5a…            ("未知" when the trace's hash is not known)
//   评价参数,值
//   基线,两点直线
std::string evaluationFooterCsv(std::string_view traceSha256, std::span<const EvaluationParameter> parameters);

struct EvaluationExport {
    std::string traceSha256;  // the trace shown when the panel opened; empty: not known
    // Told of each export written, after the file is in place.
    std::function<void(const std::string& path, std::span<const ResultLine> lines,
                       std::span<const PlausibilityFlag> flags, std::span<const EvaluationParameter> parameters)>
        written;
};

}  // namespace vespian
