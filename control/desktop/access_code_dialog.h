#pragma once
// The access-code box "输入口令" in front of the gas-path cleaning. A wrong code is refused with a
// message and the box stays open; Escape closes it without opening anything.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vespian {

class Prompts;

class AccessCodeDialog : public QDialog {
    Q_OBJECT

public:
    AccessCodeDialog(Prompts& prompts, QWidget* parent = nullptr);
    QLineEdit* codeField() const { return code_; }
    QPushButton* okButton() const { return ok_; }
    void confirm();  // "确定"

private:
    Prompts& prompts_;
    QLineEdit* code_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace vespian
