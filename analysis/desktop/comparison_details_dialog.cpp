#include "analysis/desktop/comparison_details_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPolygon>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "platform/desktop/screen.h"

namespace vespian {

namespace {

constexpr QPoint kPictureAt(47, 150);
constexpr QSize kPictureShown(320, 220);

}  // namespace

SampleDetailsDialog::SampleDetailsDialog(QWidget* parent, SampleTable& samples, const QImage& background,
                                         Prompts* prompts)
    : QDialog(parent), details_(samples), background_(background) {
    setObjectName("sampleDetailsDialog");
    setWindowTitle("详细信息");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));

    // 430 × 480: number and name on one line, the sample's data above the picture at (47, 150),
    // the buttons below it.
    auto* numberLabel = new QLabel("样品编号：", this);
    numberLabel->setGeometry(20, 12, 72, 22);
    number_ = new QLineEdit(this);
    number_->setObjectName("numberEdit");
    number_->setGeometry(92, 12, 80, 22);
    auto* nameLabel = new QLabel("样品名称：", this);
    nameLabel->setGeometry(184, 12, 72, 22);
    name_ = new QLineEdit(this);
    name_->setObjectName("nameEdit");
    name_->setGeometry(256, 12, 154, 22);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("detailText");
    text_->setReadOnly(true);
    text_->setGeometry(20, 42, 390, 100);
    text_->setFont(QFont("Noto Sans Mono CJK SC", 10));
    auto* pictureLabel = new QLabel("谱图：", this);
    pictureLabel->setGeometry(4, 150, 42, 22);

    previous_ = new QPushButton("<<上一个", this);
    previous_->setObjectName("previousButton");
    previous_->setGeometry(20, 384, 90, 28);
    next_ = new QPushButton("下一个>>", this);
    next_->setObjectName("nextButton");
    next_->setGeometry(115, 384, 90, 28);
    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(230, 384, 85, 28);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(325, 384, 85, 28);
    if (prompts != nullptr) {
        addExportButton(this, ExportKind::Picture, QRect(20, 430, 90, 28),
                        [this, prompts] { savePicture(*prompts, {{}, "样品谱图"}, picture()); });
    }
    connect(previous_, &QPushButton::clicked, this, [this] {
        details_.previous();
        showCurrent();
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        details_.next();
        showCurrent();
    });
    connect(ok, &QPushButton::clicked, this, &SampleDetailsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SampleDetailsDialog::reject);
    showCurrent();
}

void SampleDetailsDialog::showCurrent() {
    number_->setText(QString::fromStdString(details_.numberText()));
    name_->setText(QString::fromStdString(details_.nameText()));
    text_->setPlainText(QString::fromStdString(details_.detailText()).remove('\r'));
    previous_->setEnabled(details_.canGoBack());
    next_->setEnabled(details_.canGoForward());
    update();
}

QImage SampleDetailsDialog::picture() const {
    QImage image(kDetailsPictureWidth, kDetailsPictureHeight, QImage::Format_RGB32);
    if (background_.isNull()) {
        image.fill(Qt::white);
    } else {
        QPainter copy(&image);
        copy.drawImage(QPoint(0, 0), background_);
    }
    QPainter painter(&image);
    painter.setPen(QColor(0, 0, 160));
    QPolygon line;
    for (const DrawPoint& p : details_.tracePolyline()) line << QPoint(p.x, p.y);
    painter.drawPolyline(line);
    return image;
}

void SampleDetailsDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QRect(kPictureAt, kPictureShown), picture(), QRect(QPoint(0, 0), kPictureShown));
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(QRect(kPictureAt - QPoint(1, 1), kPictureShown + QSize(1, 1)));
}

void SampleDetailsDialog::accept() {
    details_.accept(number_->text().toStdString(), name_->text().toStdString());
    QDialog::accept();
}

}  // namespace vespian
