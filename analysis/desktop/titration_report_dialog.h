#pragma once
// The pulse titration report window ("氢氧滴定报告" in the report panel): the sample data, the
// calibration pulse and the residual peak as applied, the metal's values with the presets
// "铂" "钯" "铑", and the results, recalculated on every change of a field. Printing lays out
// "氢氧滴定分析报告" and closes the window.

#include "analysis/desktop/tp_report_frame.h"

class QComboBox;

namespace vespian {

class TitrationReportDialog : public ReportWindow {
    Q_OBJECT

public:
    TitrationReportDialog(QWidget* parent, ReportWindowContext& context);
    // Widgets by objectName: "headingEdit", "metalList", "evaluateButton", "field<id>" for the
    // others (field(id) gives them).

protected:
    void filled() override;
    void printPages() override;
    std::vector<DrawList> pageLayout(int w, int h) const override;
    const char* documentName() const override;

private:
    QComboBox* metals_;
};

void showTitrationReport(QWidget* parent, ReportWindowContext& context);

}  // namespace vespian
