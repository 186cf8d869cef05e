#include "files/desktop/trace_export_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>

#include "platform/desktop/program_font.h"
#include "files/trace_export.h"
#include "platform/prompts.h"

namespace vespian {

TraceExportDialog::TraceExportDialog(QWidget* parent, Prompts& prompts, const Chromatogram& trace, int32_t peakStart,
                                     int32_t peakEnd, std::string dataFolder)
    : QDialog(parent), prompts_(prompts), trace_(trace), start_(peakStart), end_(peakEnd),
      dataFolder_(std::move(dataFolder)) {
    setObjectName("traceExportDialog");
    setWindowTitle(QString::fromUtf8(kExportDialogTitle));
    setFont(programFont(13));
    setFixedSize(330, 150);

    auto* label = new QLabel(QString::fromUtf8(kExportIntervalLabel), this);
    label->setGeometry(20, 20, 100, 24);
    interval_ = new QLineEdit(QString::fromUtf8(kExportIntervalDefault), this);
    interval_->setObjectName("intervalEdit");
    interval_->setGeometry(120, 20, 80, 24);
    interval_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), interval_));
    status_ = new QLabel(QString::fromUtf8(kExportStatusHint), this);
    status_->setObjectName("statusText");
    status_->setGeometry(20, 58, 290, 24);

    auto* exportButton = new QPushButton("导出数据", this);
    exportButton->setObjectName("exportButton");
    exportButton->setGeometry(20, 100, 90, 28);
    exportButton->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(120, 100, 90, 28);
    auto* done = new QPushButton("完成", this);
    done->setObjectName("doneButton");
    done->setGeometry(220, 100, 90, 28);
    connect(exportButton, &QPushButton::clicked, this, [this] { exportData(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
}

void TraceExportDialog::exportData() {
    const ExportInterval interval = readExportInterval(interval_->text().toStdString());
    if (interval.refusal) {
        prompts_.message(interval.refusal->caption, interval.refusal->text, interval.refusal->icon);
        interval_->setFocus();
        interval_->selectAll();
        return;
    }
    status_->setText(QString::fromUtf8(kExportRunning));
    status_->repaint();
    QElapsedTimer clock;
    clock.start();
    const bool exported = exportTraceData(prompts_, trace_, start_, end_, interval.interval, dataFolder_);
    const QString after = QString::fromUtf8(exportStatusAfter(exported));
    if (!exported) {
        status_->setText(after);
        return;
    }
    // "数据导出中..." stays long enough to be read, then the result.
    const int left = std::max<qint64>(0, kExportRunningMs - clock.elapsed());
    QTimer::singleShot(left, status_, [label = status_, after] { label->setText(after); });
}

void runTraceExportDialog(QWidget* parent, Prompts& prompts, const Chromatogram& trace, int32_t peakStart,
                          int32_t peakEnd, const std::string& dataFolder) {
    TraceExportDialog dialog(parent, prompts, trace, peakStart, peakEnd, dataFolder);
    dialog.exec();
}

}  // namespace vespian
