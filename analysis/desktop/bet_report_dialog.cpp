#include "analysis/desktop/bet_report_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "analysis/bet_page.h"
#include "analysis/desktop/bet_lsq_panel.h"
#include "platform/desktop/program_font.h"
#include "print/desktop/record_pdf_export.h"
#include "files/report_csv.h"
#include "platform/desktop/screen.h"
#include "platform/desktop/draw_list_painter.h"

namespace vespian {

namespace {

QRect rectOf(const DrawBox& b) { return QRect(b.left, b.top, b.right - b.left, b.bottom - b.top); }

}  // namespace

BetReportDialog::BetReportDialog(QWidget* parent, ReportTable& reports, BetRawVolumes& raw,
                                 const SampleIdentity& sample, BetCalibrationDefaults& defaults, Prompts& prompts,
                                 const CalendarDate& today)
    : QDialog(parent), session_(reports, raw), sample_(sample), defaults_(defaults), prompts_(prompts), today_(today) {
    setObjectName("betReportDialog");
    setWindowTitle("生成报告");
    setFont(programFont(13));
    setFixedSize(kBetReportWidth, kBetReportHeight);
    centreOnScreen(this, QSize(kBetReportWidth, kBetReportHeight));
    opened_ = session_.open(sample_);

    weight_ = new QLineEdit(this);
    weight_->setObjectName("weightEdit");
    weight_->setGeometry(rectOf(kBetReportWeightEdit));
    name_ = new QLineEdit(this);
    name_->setObjectName("nameEdit");
    name_->setGeometry(rectOf(kBetReportNameEdit));
    first_ = new QComboBox(this);
    first_->setObjectName("firstPointBox");
    first_->setGeometry(rectOf(kBetReportFirstPoint));
    second_ = new QComboBox(this);
    second_->setObjectName("secondPointBox");
    second_->setGeometry(rectOf(kBetReportSecondPoint));
    auto* commit = new QPushButton("生成报告", this);
    commit->setObjectName("commitButton");
    commit->setGeometry(rectOf(kBetReportCommitButton));
    commit->setDefault(true);
    auto* abandon = new QPushButton("放弃", this);
    abandon->setObjectName("abandonButton");
    abandon->setGeometry(rectOf(kBetReportAbandonButton));
    connect(commit, &QPushButton::clicked, this, &BetReportDialog::accept);
    const ExportPlace place{{}, "BET报告"};
    addExportButton(this, ExportKind::Pdf, QRect(350, 296, 82, 26),
                    [this, place] { exportBetPagePdf(prompts_, place, session_.record()); });
    addExportButton(this, ExportKind::Csv, QRect(439, 296, 82, 26),
                    [this, place] { exportCsvText(prompts_, place, betPointsCsv(session_.record())); });
    addExportButton(this, ExportKind::Picture, QRect(528, 296, 82, 26),
                    [this, place] { savePicture(prompts_, place, picture()); });
    connect(abandon, &QPushButton::clicked, this, &BetReportDialog::reject);
    if (!opened_) return;
    // The least-squares line over the same points, beside the written two-point result.
    auto* leastSquares = new QPushButton("最小二乘...", this);
    leastSquares->setObjectName("leastSquaresButton");
    leastSquares->setGeometry(260, 330, 100, 28);
    leastSquares->setAutoDefault(false);
    connect(leastSquares, &QPushButton::clicked, this, [this] {
        BetLsqPanel panel(this, session_.record());
        panel.exec();
    });

    weight_->setText(QString::fromStdString(session_.weightText()));
    name_->setText(QString::fromStdString(session_.nameText()));
    const bool pairs = session_.pairsEnabled();
    first_->setEnabled(pairs);
    second_->setEnabled(pairs);
    if (pairs) {
        for (const std::string& choice : session_.pairChoices()) {
            first_->addItem(QString::fromStdString(choice));
            second_->addItem(QString::fromStdString(choice));
        }
        first_->setCurrentIndex(session_.pairFirst());
        second_->setCurrentIndex(session_.pairSecond());
    }
    connect(weight_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (session_.weightEdited(text.toStdString())) update();
    });
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.nameEdited(text.toStdString()); });
    connect(first_, &QComboBox::currentIndexChanged, this, &BetReportDialog::pairChanged);
    connect(second_, &QComboBox::currentIndexChanged, this, &BetReportDialog::pairChanged);
}

void BetReportDialog::pairChanged() {
    if (first_->currentIndex() < 0 || second_->currentIndex() < 0) return;
    session_.pairChosen(first_->currentIndex(), second_->currentIndex());
    update();
}

void BetReportDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture());
}

QImage BetReportDialog::picture() const {
    QImage image(kBetReportWidth, kBetReportHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintDrawList(painter, betReportArtwork());
    if (opened_) paintDrawList(painter, betReportValues(session_.record(), session_.index()));
    return image;
}

void BetReportDialog::accept() {
    if (!opened_) {
        QDialog::reject();
        return;
    }
    const BetCommitResult result = session_.commit(sample_, defaults_, today_);
    if (!result.committed) {
        prompts_.message(result.message.caption, result.message.text, result.message.icon);
        return;
    }
    QDialog::accept();
}

void BetReportDialog::reject() {
    if (opened_) session_.abandon();
    QDialog::reject();
}

bool BetReportDialog::run(QWidget* parent, ReportTable& reports, BetRawVolumes& raw, const SampleIdentity& sample,
                          BetCalibrationDefaults& defaults, Prompts& prompts, const CalendarDate& today) {
    BetReportDialog dialog(parent, reports, raw, sample, defaults, prompts, today);
    if (!dialog.opened()) {
        prompts.message("错误", kDatabaseFullText, PromptIcon::Error);
        return false;
    }
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace vespian
