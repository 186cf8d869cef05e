#pragma once
// "全谱重新识峰": the peaks the recogniser finds over the whole trace with the settings of now,
// listed with their times and areas; "应用于..." hands the chosen one on as a manual pick is.

#include <QDialog>
#include <functional>
#include <vector>

#include "app/trace_reevaluation.h"

class QTableWidget;

namespace vespian {

class ReevaluationDialog : public QDialog {
    Q_OBJECT

public:
    ReevaluationDialog(QWidget* parent, std::vector<FoundPeak> peaks, std::function<void(int32_t, int32_t)> apply);
    QTableWidget* table() const { return table_; }
    // Hands the chosen peak on; false when none is chosen.
    bool applyChosen();

private:
    std::vector<FoundPeak> peaks_;
    std::function<void(int32_t, int32_t)> apply_;
    QTableWidget* table_ = nullptr;
};

}  // namespace vespian
