#pragma once
// "档案查询": finds archived saves by sample, day range, kind, method, operator, instrument and a
// result's range, lists them newest first, opens the trace of the chosen one, and draws the trend
// of the chosen result over time with its mean and ±3σ limits, the points outside in red. The
// query and the trend come from the archive's core (find_form, result_trend); this window only
// asks and shows.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/result_trend.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace vespian {

// The trend's picture: points over time, the mean, the ±3σ limits.
class TrendView : public QWidget {
    Q_OBJECT

public:
    explicit TrendView(QWidget* parent = nullptr);
    void setTrend(const Trend& trend);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Trend trend_;
};

class ArchiveFindWindow : public QDialog {
    Q_OBJECT

public:
    // `openTrace` loads a trace file into the program; false when it could not.
    ArchiveFindWindow(QWidget* parent, Archive& archive, std::function<bool(const std::string& path)> openTrace);

    // Runs the query of the form as it stands (the "查询" button); false with the message shown
    // when the form or the archive refuses it.
    bool find();
    // Opens the trace of the chosen row (the "打开谱图" button).
    bool openChosen();

    // For tests: the fields and what was found.
    QLineEdit* sampleField() const { return sample_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QComboBox* resultField() const { return result_; }
    QTableWidget* table() const { return table_; }
    const std::vector<ArchivedSave>& found() const { return found_; }
    const Trend& trend() const { return trend_; }
    QString statusText() const;

private:
    Archive& archive_;
    std::function<bool(const std::string&)> openTrace_;
    QLineEdit* sample_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* method_ = nullptr;
    QLineEdit* operator_ = nullptr;
    QLineEdit* instrument_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* result_ = nullptr;
    QLineEdit* least_ = nullptr;
    QLineEdit* most_ = nullptr;
    QTableWidget* table_ = nullptr;
    TrendView* trendView_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<ArchivedSave> found_;
    Trend trend_;
};

}  // namespace vespian
