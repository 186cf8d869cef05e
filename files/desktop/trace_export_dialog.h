#pragma once
// The data export dialog "导出数据设置" (menu "导出数据", and "导出为文本" of "应用于..."): the
// interval "取点间隔为：" (digits, 10 at first), a status line, and "导出数据", "取消", "完成".
// "导出数据" exports the current peak stretch with the interval and says how it went; the
// dialog stays open for further exports.

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;

namespace vespian {

class Chromatogram;
class Prompts;

class TraceExportDialog : public QDialog {
    Q_OBJECT

public:
    TraceExportDialog(QWidget* parent, Prompts& prompts, const Chromatogram& trace, int32_t peakStart,
                      int32_t peakEnd, std::string dataFolder);

    // Widgets by objectName: "intervalEdit", "statusText", "exportButton", "cancelButton",
    // "doneButton".

private:
    void exportData();

    Prompts& prompts_;
    const Chromatogram& trace_;
    int32_t start_;
    int32_t end_;
    std::string dataFolder_;
    QLineEdit* interval_;
    QLabel* status_;
};

// Modal; exports trace[peakStart .. peakEnd − 1].
void runTraceExportDialog(QWidget* parent, Prompts& prompts, const Chromatogram& trace, int32_t peakStart,
                          int32_t peakEnd, const std::string& dataFolder);

}  // namespace vespian
