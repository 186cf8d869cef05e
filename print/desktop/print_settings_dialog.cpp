#include "print/desktop/print_settings_dialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"

namespace vespian {

PrintSettingsDialog::PrintSettingsDialog(QWidget* parent, PrintSettings& settings)
    : QDialog(parent), settings_(settings) {
    setObjectName("printSettingsDialog");
    setWindowTitle("打印设置");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    auto* group = new QGroupBox("标头", this);
    group->setGeometry(20, 15, kWidth - 40, 80);
    header_ = new QLineEdit(QString::fromStdString(settings.header), this);
    header_->setObjectName("headerEdit");
    header_->setGeometry(35, 45, kWidth - 70, 24);
    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(kWidth - 210, 120, 90, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(kWidth - 110, 120, 90, 28);
    connect(ok, &QPushButton::clicked, this, &PrintSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PrintSettingsDialog::reject);
}

void PrintSettingsDialog::accept() {
    acceptPrintSettings(settings_, header_->text().toStdString());
    QDialog::accept();
}

bool PrintSettingsDialog::run(QWidget* parent, PrintSettings& settings) {
    PrintSettingsDialog dialog(parent, settings);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace vespian
