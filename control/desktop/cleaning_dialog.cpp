#include "control/desktop/cleaning_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/desktop/program_font.h"
#include "control/desktop/control_context.h"
#include "platform/desktop/screen.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CleaningDialog::CleaningDialog(ControlContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName("cleaningDialog");
    setWindowTitle(qs(kCleaningTitle));
    setFixedSize(420, 300);
    centreOnScreen(this, size());
    setFont(programFont(13));

    channel_ = new QComboBox(this);
    channel_->setObjectName("ctl1031");
    channel_->setGeometry(20, 20, 120, 26);
    for (std::string_view name : kCleaningChannelNames) channel_->addItem(qs(name));
    channel_->setCurrentIndex(0);
    auto* remaining = new QLabel(qs(kCleaningRemainingLabel), this);
    remaining->setGeometry(20, 80, 200, 24);
    digits_ = new QLabel("00", this);
    digits_->setObjectName("cleaningDigits");
    QFont big = programFont(40);
    big.setWeight(QFont::DemiBold);  // weight 600
    digits_->setFont(big);
    digits_->setGeometry(140, 110, 120, 56);
    auto* seconds = new QLabel("秒", this);
    seconds->setGeometry(210, 136, 30, 24);
    auto* notice = new QLabel(qs(kCleaningNotice), this);
    notice->setGeometry(20, 180, 380, 44);
    notice->setWordWrap(true);
    notice->setStyleSheet("color: rgb(179, 74, 0);");

    start_ = new QPushButton(qs(kCleaningStartCaption), this);
    start_->setObjectName("ctl1");
    stop_ = new QPushButton(qs(kCleaningStopCaption), this);
    stop_->setObjectName("ctl2");
    exit_ = new QPushButton(qs(kCleaningExitCaption), this);
    exit_->setObjectName("ctl3");
    int x = 20;
    for (QPushButton* b : {start_, stop_, exit_}) {
        b->setGeometry(x, 240, 116, 34);
        b->setAutoDefault(false);
        x += 130;
    }

    timer_ = new QTimer(this);
    timer_->setObjectName(QString("timer%1").arg(kTimerCleaning));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CleaningDialog::tick);
    connect(start_, &QPushButton::clicked, this, [this] { display(countdown_.start(channel_->currentIndex())); });
    connect(stop_, &QPushButton::clicked, this, [this] { countdown_.stop(); });
    connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
}

void CleaningDialog::display(const CleaningStep& step) {
    if (step.frame) context_.send(*step.frame);
    digits_->setText(QString::fromStdString(step.display));
    start_->setEnabled(step.startEnabled);
    exit_->setEnabled(step.startEnabled);
    if (step.nextTickMs > 0) {
        timer_->start(step.nextTickMs);
    } else {
        timer_->stop();
    }
}

void CleaningDialog::tick() { display(countdown_.tick(channel_->currentIndex())); }

void CleaningDialog::reject() { countdown_.stop(); }

}  // namespace vespian
