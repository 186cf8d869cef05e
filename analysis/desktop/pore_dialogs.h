#pragma once
// The pore-size dialogs: "生成孔径分布报告" (number and name of a new pore report) and the point
// dialog "孔径数据属性" of the current point.

#include <QDialog>

#include "analysis/pore.h"

class QLineEdit;

namespace vespian {

class PoreReportDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 330;
    static constexpr int kHeight = 200;

    PoreReportDialog(QWidget* parent, ReportTable& reports, PoreTable& table, const SampleIdentity& sample,
                     Prompts& prompts, const CalendarDate& today);

    // The pop-up command: the full-table message, or the dialog. True when a report was made.
    static bool run(QWidget* parent, ReportTable& reports, PoreTable& table, const SampleIdentity& sample,
                    Prompts& prompts, const CalendarDate& today);

    // Widgets by objectName: "numberEdit", "nameEdit", "okButton", "cancelButton".

    void accept() override;

private:
    ReportTable& reports_;
    PoreTable& table_;
    SampleIdentity sample_;
    Prompts& prompts_;
    CalendarDate today_;
    QLineEdit* number_ = nullptr;
    QLineEdit* name_ = nullptr;
};

class PorePointDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 540;

    PorePointDialog(QWidget* parent, PoreTable& table, int index, const QImage& background = {});

    // Widgets by objectName: "atmosphericPressureEdit", "saturatedPressureEdit", "n2FlowEdit",
    // "mixedFlowEdit", "weightEdit", "peakAreaEdit", "relativePressureEdit", "poreSizeEdit",
    // "adsorbedEdit", "kelvinPoreSizeEdit", "deadVolumeList", "okButton", "cancelButton". All
    // read-only; the pressures, the flows and the dead-volume list disabled.

    void accept() override;

private:
    PoreTable& table_;
    int index_;
    QLineEdit* weight_ = nullptr;
    QLineEdit* relative_ = nullptr;
    QLineEdit* poreSize_ = nullptr;
};

}  // namespace vespian
