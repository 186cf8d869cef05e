#include "analysis/titration_page.h"

#include "analysis/tp_report_page.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

DrawList titrationReportPage(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                             int32_t height) {
    const TestReportHeader& h = report.header();
    ReportPageBuilder page(width, height);
    addReportFrame(page, readGbkField(h.heading), letterhead);
    addReportChart(page, report, false);
    page.line(100.0f, 580.0f, 650.0f, 580.0f);
    const std::vector<DataRow> rows = {
        {"样品名称：" + readGbkField(h.sampleName), "样品重量[g]：" + numberText("%.4f", h.sampleWeightG)},
        {"检测员：" + readGbkField(h.tester),
         printfText("检测日期：%d-%d-%d", h.testDate.year, h.testDate.month, h.testDate.day)},
        {"滴定温度[℃]：" + numberText("%.0f", h.titrationTempC),
         "脱附量：" + numberText("%.3f", h.adsorbedVolumeMl / h.sampleWeightG)},
        {"", ""},
        {"脉冲峰面积：" + numberText("%.0f", h.pulseArea), "化学计量系数：" + numberText("%f", h.stoichiometry)},
        {"脉冲峰体积[ml]：" + numberText("%.3f", h.pulseVolumeMl), "原子质量[g/ml]：" + numberText("%.3f", h.atomicMass)},
        {"脉冲峰数量：" + std::to_string(h.pulseCount), "质量分数：" + numberText("%.4f", h.massFraction)},
        {"剩余峰面积：" + numberText("%.0f", h.residualArea), "原子截面积[nm2]：" + numberText("%.4f", h.crossSectionNm2)},
        {"剩余体积[ml]：" + numberText("%.3f", h.residualVolumeMl), "金属分散度：" + numberText("%f", h.dispersion)},
        {"吸附体积[ml]：" + numberText("%.3f", h.adsorbedVolumeMl),
         "活性比表面积[m2/g]：" + numberText("%f", h.activeAreaM2g)},
    };
    addDataRows(page, rows, 600.0f);
    return page.take();
}

}  // namespace vespian
