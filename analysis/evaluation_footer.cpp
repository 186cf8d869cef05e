#include "analysis/evaluation_footer.h"

#include "files/list_export.h"

namespace vespian {

namespace {

constexpr char kUnknownHash[] = "未知";

}  // namespace

std::string evaluationFooterCsv(std::string_view traceSha256, std::span<const EvaluationParameter> parameters) {
    const std::string hash = traceSha256.empty() ? std::string(kUnknownHash) : csvCell(std::string(traceSha256));
    std::string csv = "谱图SHA-256," + hash + "\n";
    csv += "评价参数,值\n";
    for (const EvaluationParameter& p : parameters) csv += csvCell(p.name) + "," + csvCell(p.value) + "\n";
    return csv;
}

}  // namespace vespian
