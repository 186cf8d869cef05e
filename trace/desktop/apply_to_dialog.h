#pragma once
// "应用于...": after a manual pick, what the picked stretch is for — "定量" (the quantitative
// peak, window "表面积数据属性"), "样品" (the test report's sample trace, quantified against the
// quantitative peak) — or "导出为文本" (the data export dialog for the stretch).

#include <QDialog>

#include <cstdint>
#include <string>

#include "files/peak_application.h"

class QRadioButton;

namespace vespian {

class Chromatogram;
class PeakDetector;
class Prompts;

class ApplyToDialog : public QDialog {
    Q_OBJECT

public:
    explicit ApplyToDialog(QWidget* parent);

    // What the operator chose; None until a button was pressed (and for "取消").
    ApplyToAction action() const { return action_; }
    // Widgets by objectName: "quantitativeRadio", "sampleRadio", "okButton", "cancelButton",
    // "exportButton".

private:
    void chosen(ApplyToButton button);

    QRadioButton* quantitative_;
    ApplyToAction action_ = ApplyToAction::None;
};

// What "应用于..." works on.
struct PeakUseContext {
    const Chromatogram& trace;
    QuantPeak& quant;
    TestReport& report;
    const PeakDetector& detector;  // the export's stretch (the pick wrote it there too)
    Prompts& prompts;
    std::string dataFolder;
};

// The second click of a manual pick: asks, then carries out the choice for trace[start .. end].
ApplyToAction runApplyToDialog(QWidget* parent, PeakUseContext& context, int32_t start, int32_t end);

}  // namespace vespian
