#pragma once
// The point dialog "多点BET取点设定": opened for each peak recognised while measuring with the
// BET method that the record under construction can take (the display tick's hand-over asks
// it first). Shows the point (all read-only); "继续>>" keeps it
// and the measurement goes on, "完成" keeps it and the report dialog follows; the close box
// drops it. Every way of closing empties the peak table.

#include <QDialog>
#include <QImage>

#include "analysis/bet.h"

namespace vespian {

class BetPointDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 490;
    static constexpr int kContinue = 1083;  // the result of "继续>>"

    // With prompts the dialog also offers "保存图片" of the peak's picture.
    BetPointDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks, const BetPointTexts& texts,
                   const QImage& peakPicture, Prompts* prompts = nullptr);

    // The display tick's call for the first peak of the table. True when "完成" asks for the
    // report.
    static bool run(QWidget* parent, ReportTable& reports, PeakTable& peaks, Prompts& prompts,
                    const QImage& peakPicture);

    // Fields by objectName: "numberEdit", "peakAreaEdit", "volumeEdit", "n2FlowEdit", "heFlowEdit",
    // "p0Edit", "n2TemperatureEdit", "adsorptionPressureEdit"; buttons "continueButton",
    // "finishButton", "savePictureButton".

    void reject() override;

private:
    void close(BetPointClose how);

    ReportTable& reports_;
    PeakTable& peaks_;
    bool finished_ = false;
};

}  // namespace vespian
