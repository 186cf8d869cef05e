#include "files/desktop/database_save_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"

namespace vespian {

DatabaseSaveDialog::DatabaseSaveDialog(QWidget* parent, const RecordDatabase& database, std::string path)
    : QDialog(parent), database_(database), path_(std::move(path)) {
    setObjectName("databaseSaveDialog");
    setWindowTitle("数据存盘");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    auto* label = new QLabel("保存进度...", this);
    label->setGeometry(25, 25, 200, 22);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("saveProgress");
    bar_->setGeometry(25, 60, kWidth - 50, 22);
    bar_->setRange(1, 3);
    bar_->setValue(1);
    bar_->setTextVisible(false);
    auto* close = new QPushButton("关闭", this);
    close->setObjectName("closeButton");
    close->setGeometry(kWidth - 115, 110, 90, 28);
    connect(close, &QPushButton::clicked, this, &DatabaseSaveDialog::reject);
    result_ = {false, false, "数据库没有保存!"};
    timer_.setSingleShot(true);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &DatabaseSaveDialog::saveNow);
    timer_.start();
}

int DatabaseSaveDialog::barValue() const { return bar_->value(); }

void DatabaseSaveDialog::saveNow() {
    result_ = saveDatabase(path_, database_, [this] {
        bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
        bar_->repaint();
    });
    if (result_.ok) {
        accept();
    } else {
        reject();
    }
}

DatabaseFileResult DatabaseSaveDialog::save(QWidget* parent, const RecordDatabase& database, const std::string& path) {
    DatabaseSaveDialog dialog(parent, database, path);
    dialog.exec();
    return dialog.result();
}

DatabaseSaver DatabaseSaveDialog::saver(QWidget* parent, const RecordDatabase& database) {
    return [parent, &database](const std::string& path) { return save(parent, database, path); };
}

}  // namespace vespian
