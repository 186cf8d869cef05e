#pragma once
// "保存为标样/样品": from the quantitative-peak window of an automatically recognised peak, the
// peak is stored as a standard (number, name, weight, known surface area) or as a sample
// measured against a chosen standard, its surface area by the single-point comparison rule
// (analysis/comparison.h), shown as the operator types.

#include <QDialog>

#include "analysis/comparison.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vespian {

class ComparisonStoreDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    ComparisonStoreDialog(QWidget* parent, RecordDatabase& database, const PeakRecord& peak,
                          const SampleIdentity& sample, Prompts& prompts, const CalendarDate& today);

    // The whole command; the stored record's result (nothing stored: stored = false).
    static StoreResult run(QWidget* parent, RecordDatabase& database, const PeakRecord& peak,
                           const SampleIdentity& sample, Prompts& prompts, const CalendarDate& today);

    const StoreResult& result() const { return result_; }
    StoreEntries entries() const;

    // Widgets by objectName: "standardRadio", "sampleRadio", "numberEdit", "nameEdit",
    // "weightEdit", "areaEdit" (standards), "standardBox" (samples), "areaPreview",
    // "storeButton", "cancelButton".

    void accept() override;

private:
    void refresh();

    RecordDatabase& database_;
    const PeakRecord& peak_;
    SampleIdentity sample_;
    Prompts& prompts_;
    CalendarDate today_;
    StoreResult result_;
    std::vector<StandardChoice> choices_;
    QRadioButton* standard_ = nullptr;
    QRadioButton* sampleKind_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* weight_ = nullptr;
    QLineEdit* area_ = nullptr;
    QComboBox* standards_ = nullptr;
    QLabel* preview_ = nullptr;
};

}  // namespace vespian
