#include "files/report_csv.h"

#include <algorithm>

#include "files/list_export.h"
#include "platform/printf_text.h"

namespace vespian {

std::string betPointsCsv(const SurfaceReportRecord& r) {
    std::string out = kCsvByteOrderMark;
    csvRow(out, {"点", "P/Po", "体积[ml/g]", "1/(V(Po/P-1))", "N2流量", "He流量"});
    for (int32_t i = 0; i < std::clamp(r.point_count, 0, kBetMaxPoints); ++i) {
        csvRow(out, {printfText("%d", i + 1), csvNumber("%f", r.rel_pressure[i]), csvNumber("%f", r.volume[i]),
                     csvNumber("%f", r.bet_y[i]), csvNumber("%.2f", r.n2_flow[i]), csvNumber("%.2f", r.he_flow[i])});
    }
    return out;
}

}  // namespace vespian
