#include "trace/desktop/apply_to_dialog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "platform/desktop/program_font.h"
#include "files/desktop/trace_export_dialog.h"
#include "platform/desktop/screen.h"
#include "trace/chromatogram.h"
#include "trace/desktop/quant_peak_window.h"
#include "trace/peak_detector.h"

namespace vespian {

ApplyToDialog::ApplyToDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("applyToDialog");
    setWindowTitle("应用于...");
    setFont(programFont(13));
    setFixedSize(280, 150);
    const QSize screen = screenSize();
    move((screen.width() - 520) / 2, (screen.height() - 370) / 2);

    auto* group = new QGroupBox("此谱图峰用于...", this);
    group->setGeometry(12, 8, 150, 100);
    quantitative_ = new QRadioButton("定量", group);
    quantitative_->setObjectName("quantitativeRadio");
    quantitative_->setGeometry(20, 28, 110, 24);
    quantitative_->setChecked(true);
    auto* sample = new QRadioButton("样品", group);
    sample->setObjectName("sampleRadio");
    sample->setGeometry(20, 60, 110, 24);

    struct Button {
        const char* text;
        const char* name;
        ApplyToButton which;
        int y;
    };
    for (const Button b : {Button{"确定", "okButton", ApplyToButton::Ok, 14},
                           Button{"取消", "cancelButton", ApplyToButton::Cancel, 48},
                           Button{"导出为文本", "exportButton", ApplyToButton::ExportText, 82}}) {
        auto* button = new QPushButton(b.text, this);
        button->setObjectName(b.name);
        button->setGeometry(172, b.y, 96, 28);
        button->setDefault(b.which == ApplyToButton::Ok);
        const ApplyToButton which = b.which;
        connect(button, &QPushButton::clicked, this, [this, which] { chosen(which); });
    }
}

void ApplyToDialog::chosen(ApplyToButton button) {
    action_ = applyToAction(button, quantitative_->isChecked() ? PeakUse::Quantitative : PeakUse::Sample);
    if (action_ == ApplyToAction::None) {
        reject();
    } else {
        accept();
    }
}

ApplyToAction runApplyToDialog(QWidget* parent, PeakUseContext& context, int32_t start, int32_t end) {
    ApplyToDialog dialog(parent);
    dialog.exec();
    const ApplyToAction action = dialog.action();
    switch (action) {
        case ApplyToAction::OpenQuantWindow:
            runQuantPeakWindow(parent, context.quant, context.trace.signalMv(), start, end, &context.prompts);
            break;
        case ApplyToAction::ApplySample:
            applySampleStretch(context.report, context.trace, start, end, context.quant);
            break;
        case ApplyToAction::OpenExportDialog:
            runTraceExportDialog(parent, context.prompts, context.trace, context.detector.peakStart(),
                                 context.detector.peakEnd(), context.dataFolder);
            break;
        case ApplyToAction::None:
            break;
    }
    return action;
}

}  // namespace vespian
