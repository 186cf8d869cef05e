#pragma once
// The print settings dialog "打印设置": the header text printed on the sample pages.

#include <QDialog>

#include "print/list_printing.h"

class QLineEdit;

namespace vespian {

class PrintSettingsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 180;

    PrintSettingsDialog(QWidget* parent, PrintSettings& settings);

    // True on "确定" (the header then kept), false on "取消".
    static bool run(QWidget* parent, PrintSettings& settings);

    // Widgets by objectName: "headerEdit", "okButton", "cancelButton".

    void accept() override;

private:
    PrintSettings& settings_;
    QLineEdit* header_ = nullptr;
};

}  // namespace vespian
