#pragma once
// The sample details dialog "详细信息": the selected samples one after the other ("<<上一个",
// "下一个>>") with their data and stored trace; "确定" keeps an edited number and name.

#include <QDialog>
#include <QImage>

#include "analysis/comparison.h"

namespace vespian {
class Prompts;
}

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vespian {

class SampleDetailsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 430;
    static constexpr int kHeight = 480;

    // `background`: the list background picture the trace picture is drawn on (null: white).
    // With prompts the window offers "保存图片" for the shown picture.
    SampleDetailsDialog(QWidget* parent, SampleTable& samples, const QImage& background = {},
                        Prompts* prompts = nullptr);

    const SampleDetails& details() const { return details_; }
    // The current trace picture (320 × 300).
    QImage picture() const;

    // Widgets by objectName: "numberEdit", "nameEdit", "detailText", "previousButton",
    // "nextButton", "okButton", "cancelButton", "savePictureButton".

    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showCurrent();

    SampleDetails details_;
    QImage background_;
    QLineEdit* number_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
};

}  // namespace vespian
