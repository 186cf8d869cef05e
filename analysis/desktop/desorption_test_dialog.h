#pragma once
// The desorption amount test window ("脱附量测试" in the report panel): the sample data, the
// desorption temperature, the calibration pulse and the desorption peak's area, and the
// desorbed total and amount per gram, recalculated on every change. It shares its record with
// the titration, whose results follow a weight changed here. Printing lays out "脱附量测试" and
// closes the window.

#include <map>

#include "analysis/desktop/tp_report_frame.h"

class QTextEdit;

namespace vespian {

class DesorptionTestDialog : public ReportWindow {
    Q_OBJECT

public:
    DesorptionTestDialog(QWidget* parent, ReportWindowContext& context);

    QLineEdit* field(int id) const;
    // Widgets by objectName: "headingEdit", "field<id>" for the others.

protected:
    void fill() override;
    void readBack() override;
    void printPages() override;
    std::vector<DrawList> pageLayout(int w, int h) const override;
    const char* documentName() const override;

private:
    void changed(int id, const QString& text);

    QTextEdit* heading_;
    std::map<int, QLineEdit*> fields_;
};

void showDesorptionTest(QWidget* parent, ReportWindowContext& context);

}  // namespace vespian
