#pragma once
// The temperature-programmed report window ("程序升温测试" in the report panel): the sample data
// and the two TP fields, the chart with the furnace temperature and the Tm marks, the
// temperature under the pointer ("温度：%.0f ℃"), the Tm list with "删除" and "全部清除", and a
// click on the chart picking the next Tm. Printing lays out "程序升温分析报告" and closes the
// window.

#include "analysis/desktop/tp_report_frame.h"

class QLabel;
class QListWidget;

namespace vespian {

class TpEvaluationPanel;

class TpReportDialog : public ReportWindow {
    Q_OBJECT

public:
    TpReportDialog(QWidget* parent, ReportWindowContext& context);

    // Widgets by objectName: "headingEdit", "sampleNameEdit", "weightEdit", "testerEdit",
    // "yearEdit", "monthEdit", "dayEdit", "upperTempEdit", "rampRateEdit", "pointerTemperature",
    // "tmList", "deleteTmButton", "clearTmButton", "chart", "evaluateButton" and the frame's buttons.

    // "评价...": the evaluation panel beside the window (made once, then brought up again).
    void openEvaluation();
    TpEvaluationPanel* evaluationPanel() const { return evaluation_; }

protected:
    void filled() override;
    void printPages() override;
    std::vector<DrawList> pageLayout(int w, int h) const override;
    const char* documentName() const override;

private:
    void redrawChart();
    void rebuildTmList();
    void pickAt(int x);
    void deleteSelected();
    void clearAll();

    QLabel* pointerTemperature_;
    QListWidget* tmList_;
    TpEvaluationPanel* evaluation_ = nullptr;
};

// The report panel's second row: the window over the main window's client area, modal. The
// record is changed in place.
void showTemperatureProgrammedReport(QWidget* parent, ReportWindowContext& context);

}  // namespace vespian
