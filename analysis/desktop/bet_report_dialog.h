#pragma once
// The report dialog "生成报告": the BET result of the record under construction over the
// dialog's own artwork (captions, frames, the plot's paper; there is no background bitmap),
// with the sample weight, the name and the two points of the BET line to change; every change
// recomputes from the measured volumes. "生成报告" commits the report, "放弃" drops the points.
// "导出PDF" writes the report's printed BET page, "导出CSV" its measured points, "保存图片" the
// dialog's picture of the result, without committing anything.

#include <QDialog>
#include <QImage>

#include "analysis/bet.h"

class QComboBox;
class QLineEdit;

namespace vespian {

class BetReportDialog : public QDialog {
    Q_OBJECT

public:
    // `today` is the measurement date a committed report carries.
    BetReportDialog(QWidget* parent, ReportTable& reports, BetRawVolumes& raw, const SampleIdentity& sample,
                    BetCalibrationDefaults& defaults, Prompts& prompts, const CalendarDate& today = {});

    // After the point dialog's "完成". True when the report was committed, with `today` as its
    // measurement date. `defaults` take the calibration values of a committed report.
    static bool run(QWidget* parent, ReportTable& reports, BetRawVolumes& raw, const SampleIdentity& sample,
                    BetCalibrationDefaults& defaults, Prompts& prompts, const CalendarDate& today);

    bool opened() const { return opened_; }
    const BetReportSession& session() const { return session_; }

    // Widgets by objectName: "weightEdit", "nameEdit", "firstPointBox", "secondPointBox",
    // "commitButton", "abandonButton", "exportPdfButton", "exportCsvButton", "savePictureButton".

    // The result as drawn: the artwork with the values and the plot over it.
    QImage picture() const;

    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void pairChanged();

    BetReportSession session_;
    SampleIdentity sample_;
    BetCalibrationDefaults& defaults_;
    Prompts& prompts_;
    CalendarDate today_;
    bool opened_ = false;
    QLineEdit* weight_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* first_ = nullptr;
    QComboBox* second_ = nullptr;
};

}  // namespace vespian
