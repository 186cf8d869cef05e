#include "analysis/desorption_test_page.h"

#include "analysis/desorption_test.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

DrawList desorptionReportPage(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                              int32_t height) {
    const TestReportHeader& h = report.header();
    ReportPageBuilder page(width, height);
    addReportFrame(page, readGbkField(h.heading), letterhead);
    addReportChart(page, report, false);
    page.line(100.0f, 580.0f, 650.0f, 580.0f);
    const std::string perGram = numberText("%.3f", desorbedPerGram(h));
    const std::vector<DataRow> rows = {
        {"样品名称：" + readGbkField(h.sampleName), "样品重量[g]：" + numberText("%.4f", h.sampleWeightG)},
        {"检测员：" + readGbkField(h.tester),
         printfText("检测日期：%d-%d-%d", h.testDate.year, h.testDate.month, h.testDate.day)},
        {"脱附温度[℃]：" + numberText("%.0f", h.titrationTempC), "脱附量：" + perGram},
        {"", ""},
        {"脉冲峰面积：" + numberText("%.0f", h.pulseArea), "脱附峰面积：" + numberText("%.0f", h.residualArea)},
        {"脉冲峰体积[ml]：" + numberText("%.3f", h.pulseVolumeMl),
         "脱附总量[ml]：" + numberText("%.3f", h.residualVolumeMl)},
        {"脱附量[ml/g]：" + perGram, ""},
    };
    addDataRows(page, rows, 600.0f);
    return page.take();
}

}  // namespace vespian
