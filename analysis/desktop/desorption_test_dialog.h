#pragma once
// The desorption amount test window ("脱附量测试" in the report panel): the sample data, the
// desorption temperature, the calibration pulse and the desorption peak's area, and the
// desorbed total and amount per gram, recalculated on every change. It shares its record with
// the titration, whose results follow a weight changed here. Printing lays out "脱附量测试" and
// closes the window.

#include "analysis/desktop/tp_report_frame.h"

namespace vespian {

class DesorptionTestDialog : public ReportWindow {
    Q_OBJECT

public:
    DesorptionTestDialog(QWidget* parent, ReportWindowContext& context);
    // Widgets by objectName: "headingEdit", "field<id>" for the others (field(id) gives them).

protected:
    void filled() override;
    void printPages() override;
    std::vector<DrawList> pageLayout(int w, int h) const override;
    const char* documentName() const override;
};

void showDesorptionTest(QWidget* parent, ReportWindowContext& context);

}  // namespace vespian
