#pragma once
// The calibration dialog "标定吸附量": opened for each peak recognised in calibration mode with
// the BET method. It shows the peak and the values of the calibration, takes the loop volume,
// flows and pressures, and stores them in the BET record under construction (trace/
// calibration.h holds the rules). Every way of closing it empties the peak table.

#include <QDialog>
#include <QImage>

#include "files/record_database_layout.h"
#include "platform/prompts.h"
#include "analysis/calibration.h"

class QLineEdit;

namespace vespian {

struct PeakTable;

class CalibrationDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 490;

    // `peakPicture`: the small picture of the recognised peak (384 × 259), may be null.
    CalibrationDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks, const CalibrationTexts& texts,
                      Prompts& prompts, const QImage& peakPicture);

    // The display tick's call for the first peak of the table: the dialog, or the message why
    // not (the peak is then dropped). True when a calibration was stored.
    static bool run(QWidget* parent, ReportTable& reports, PeakTable& peaks, const BetCalibrationDefaults& defaults,
                    Prompts& prompts, const QImage& peakPicture);

    // Fields by objectName: "numberEdit", "peakAreaEdit" (read-only), "volumeEdit", "n2FlowEdit",
    // "heFlowEdit", "p0Edit", "n2TemperatureEdit", "adsorptionPressureEdit"; "okButton",
    // "cancelButton"; the picture "peakPicture".

    void accept() override;
    void reject() override;

private:
    ReportTable& reports_;
    PeakTable& peaks_;
    Prompts& prompts_;
    int32_t peakArea_ = 0;
    QLineEdit* edits_[8] = {};
};

}  // namespace vespian
