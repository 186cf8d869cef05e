#pragma once
// The pulse titration report window ("氢氧滴定报告" in the report panel): the sample data, the
// calibration pulse and the residual peak as applied, the metal's values with the presets
// "铂" "钯" "铑", and the results, recalculated on every change of a field. Printing lays out
// "氢氧滴定分析报告" and closes the window.

#include <map>

#include "analysis/desktop/tp_report_frame.h"

class QComboBox;
class QTextEdit;

namespace vespian {

class TitrationReportDialog : public ReportWindow {
    Q_OBJECT

public:
    TitrationReportDialog(QWidget* parent, ReportWindowContext& context);

    // The field of a control number (1006 is the heading, a QTextEdit, not in this map).
    QLineEdit* field(int id) const;
    // Widgets by objectName: "headingEdit", "metalList", "field<id>" for the others.

protected:
    void fill() override;
    void readBack() override;
    void printPages() override;
    std::vector<DrawList> pageLayout(int w, int h) const override;
    const char* documentName() const override;

private:
    void changed(int id, const QString& text);
    void showResults(const std::vector<std::pair<int32_t, std::string>>& results);

    QTextEdit* heading_;
    QComboBox* metals_;
    std::map<int, QLineEdit*> fields_;
};

void showTitrationReport(QWidget* parent, ReportWindowContext& context);

}  // namespace vespian
