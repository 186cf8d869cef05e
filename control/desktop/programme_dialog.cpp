#include "control/desktop/programme_dialog.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "platform/desktop/program_font.h"
#include "control/desktop/control_context.h"
#include "control/desktop/programme_preview_view.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"

namespace vespian {

ProgrammeDialog* ProgrammeDialog::open_ = nullptr;

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The list's columns are counted in GBK bytes: a face whose Chinese characters are exactly two
// Latin ones wide keeps them aligned.
QFont listFont() {
    QFont font;
    font.setFamilies({"NSimSun", "新宋体", "Noto Sans Mono CJK SC", "WenQuanYi Zen Hei Mono", "Sarasa Mono SC"});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    return font;
}

constexpr int kPreviewRefreshMs = 1000;

}  // namespace

ProgrammeDialog::ProgrammeDialog(ControlContext& context, QWidget* parent)
    : QDialog(parent), context_(context), editor_(context.control.programme) {
    // Only one copy: the one still recorded as open goes without its exit rules.
    if (open_ != nullptr && open_ != this) open_->done(QDialog::Rejected);
    open_ = this;

    setObjectName("programmeDialog");
    setWindowTitle(qs(kProgrammeTitle));
    const QSize screen = screenSize();
    const DialogPlacement place = programmeDialogPlacement(screen.width(), screen.height());
    setFixedSize(place.width, place.height);
    move(place.x, place.y);
    setFont(programFont(13));

    auto* segmentLabel = new QLabel("温控段", this);
    segmentLabel->setGeometry(20, 14, 60, 24);
    combo_ = new QComboBox(this);
    combo_->setObjectName(QString("ctl%1").arg(kIdSegmentCombo));
    combo_->setGeometry(90, 14, 120, 26);
    for (std::string_view name : kSegmentNames) combo_->addItem(qs(name));

    const char* labels[3] = {"升温设定", "升温速率", "恒温时间"};
    const QString units[3] = {qs(kTargetLabel), "℃/Min(1-30)", "Min(1-300)"};
    const int ids[3] = {kIdTargetField, kIdRateField, kIdHoldField};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(labels[i], this);
        label->setGeometry(20, 52 + i * 34, 70, 24);
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(QString("ctl%1").arg(ids[i]));
        fields_[i]->setGeometry(90, 52 + i * 34, 120, 26);
        fields_[i]->setMaxLength(static_cast<int>(199));
        auto* unit = new QLabel(units[i], this);
        unit->setGeometry(218, 52 + i * 34, 110, 24);
        connect(fields_[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { editor_.editField(i, text.toStdString()); });
    }

    add_ = new QPushButton(qs(kAddCaption), this);
    add_->setObjectName(QString("ctl%1").arg(kIdAddSegment));
    add_->setGeometry(350, 14, 130, 30);
    startStop_ = new QPushButton(qs(kStartCaption), this);
    startStop_->setObjectName(QString("ctl%1").arg(kIdStartStop));
    startStop_->setGeometry(350, 56, 130, 30);
    startStop_->setAutoDefault(false);
    exit_ = new QPushButton("退出", this);
    exit_->setObjectName(QString("ctl%1").arg(kIdExit));
    exit_->setGeometry(350, 98, 130, 30);
    exit_->setAutoDefault(false);
    add_->setAutoDefault(false);
    auto* hint = new QLabel("每段先升温到设定温度，再恒温设定时间。\n仪器不报告程序结束，请看下方预览。", this);
    hint->setGeometry(492, 14, 150, 110);
    hint->setWordWrap(true);
    hint->setStyleSheet("color: rgb(90, 104, 120);");
    hint->setFont(programFont(12));

    list_ = new QListWidget(this);
    list_->setObjectName(QString("ctl%1").arg(kIdProgrammeList));
    list_->setGeometry(20, 158, 610, 150);
    list_->setFont(listFont());
    list_->setSelectionMode(QAbstractItemView::NoSelection);

    preview_ = new ProgrammePreviewView(context_, this);
    preview_->setGeometry(20, 318, 610, 220);

    connect(combo_, &QComboBox::activated, this, [this](int index) {
        editor_.selectSegment(index);
        showScreen();
    });
    connect(add_, &QPushButton::clicked, this, &ProgrammeDialog::addSegment);
    connect(startStop_, &QPushButton::clicked, this, &ProgrammeDialog::startStop);
    connect(exit_, &QPushButton::clicked, this, &ProgrammeDialog::reject);

    linkWatch_ = new QTimer(this);
    linkWatch_->setObjectName(QString("timer%1").arg(kTimerLinkWatch));
    linkWatch_->setSingleShot(true);
    linkWatch_->setInterval(kTimerLinkWatchMs);
    connect(linkWatch_, &QTimer::timeout, this, &ProgrammeDialog::linkWatchTick);
    previewTick_ = new QTimer(this);
    previewTick_->setInterval(kPreviewRefreshMs);
    connect(previewTick_, &QTimer::timeout, preview_, &ProgrammePreviewView::refresh);

    editor_.open();
    showScreen();
    linkWatch_->start();
    previewTick_->start();
}

ProgrammeDialog::~ProgrammeDialog() {
    if (open_ == this) open_ = nullptr;
}

ProgrammeDialog* ProgrammeDialog::openDialog() { return open_; }

void ProgrammeDialog::showScreen() {
    const ProgrammeScreen& s = editor_.screen();
    {
        const QSignalBlocker block(combo_);
        combo_->setCurrentIndex(s.selected);
    }
    for (int i = 0; i < 3; ++i) {
        const QString text = QString::fromStdString(s.fields[static_cast<size_t>(i)]);
        if (fields_[i]->text() != text) fields_[i]->setText(text);
        fields_[i]->setEnabled(s.fieldsEnabled);
    }
    add_->setEnabled(s.fieldsEnabled);
    startStop_->setEnabled(s.startEnabled);
    startStop_->setText(QString::fromStdString(s.startCaption));
    list_->clear();
    for (const std::string& line : s.list) list_->addItem(QString::fromStdString(line));
    preview_->refresh();
}

bool ProgrammeDialog::ask(const ControlNotice& question) {
    return context_.prompts.askOkCancel(question.caption, question.text, question.icon);
}

void ProgrammeDialog::carryOut(const ProgrammeStep& step) {
    for (const ControlNotice& message : step.messages) context_.prompts.message(message.caption, message.text, message.icon);
    for (const Command& frame : step.frames) context_.send(frame);
    showScreen();
}

void ProgrammeDialog::addSegment() {
    // The fields as typed, whatever reached the editor through the edit signals.
    for (int i = 0; i < 3; ++i) editor_.editField(i, fields_[i]->text().toStdString());
    carryOut(editor_.addSegment());
}

void ProgrammeDialog::startStop() {
    for (int i = 0; i < 3; ++i) editor_.editField(i, fields_[i]->text().toStdString());
    const StartMoment now{context_.wallSeconds(), context_.newestTemperature(),
                          context_.pointCount()};
    const ProgrammeStep step = editor_.pressStartStop(now);
    carryOut(step);
    if (step.question) carryOut(editor_.answerStop(ask(*step.question)));
}

void ProgrammeDialog::reject() {
    ProgrammeStep step = editor_.exit();
    if (step.question) step = editor_.answerExit(ask(*step.question));
    for (const Command& frame : step.frames) context_.send(frame);
    if (!step.close) {
        showScreen();
        return;
    }
    linkWatch_->stop();
    previewTick_->stop();
    QDialog::reject();
}

void ProgrammeDialog::linkWatchTick() {
    linkWatch_->stop();
    const bool again = editor_.linkWatchTick(context_.linkUp());
    showScreen();
    if (again) linkWatch_->start();
}

void ProgrammeDialog::showForcedStop() {
    editor_.showForcedStop();
    showScreen();
}

}  // namespace vespian
