#include "control/desktop/access_code_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "control/flow_setting.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

AccessCodeDialog::AccessCodeDialog(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName("accessCodeDialog");
    setWindowTitle(qs(kAccessCodeTitle));
    setFixedSize(300, 120);
    centreOnScreen(this, size());
    setFont(programFont(13));
    auto* label = new QLabel(qs(kAccessCodeLabel), this);
    label->setGeometry(16, 16, 100, 26);
    code_ = new QLineEdit(this);
    code_->setObjectName("ctl1006");
    code_->setEchoMode(QLineEdit::Password);
    code_->setMaxLength(199);
    code_->setGeometry(110, 16, 170, 26);
    ok_ = new QPushButton("确定", this);
    ok_->setObjectName("ctl1");
    ok_->setGeometry(180, 70, 100, 32);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &AccessCodeDialog::confirm);
}

void AccessCodeDialog::confirm() {
    ControlNotice refusal;
    if (accessCodeAccepted(code_->text().toStdString(), &refusal)) {
        accept();
        return;
    }
    prompts_.message(refusal.caption, refusal.text, refusal.icon);
}

}  // namespace vespian
