#include "analysis/desktop/tp_report_frame.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextEdit>

#include <algorithm>

#include "analysis/tp_report.h"
#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "files/trace_csv.h"
#include "platform/prompts.h"
#include "platform/desktop/draw_list_painter.h"
#include "platform/desktop/pdf_document.h"

namespace vespian {

// Room kept above a report window for the window manager's title bar.
constexpr int kTitleBarRoom = 32;


namespace {

constexpr int kFieldHeight = 22;
constexpr int kDateLabelWidth = 110;
constexpr int kButtonTop = 848;
constexpr int kScrollBarWidth = 16;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QRect screenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
}

}  // namespace

// ---- chart --------------------------------------------------------------------------------

ReportChartView::ReportChartView(QWidget* parent)
    : QWidget(parent), picture_(kReportChartWidth, kReportChartHeight, QImage::Format_RGB32) {
    setObjectName("chart");
    setFixedSize(kReportChartWidth, kReportChartHeight);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    picture_.fill(Qt::white);
}

void ReportChartView::setDrawing(const DrawList& drawing) {
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintDrawList(painter, drawing);
    update();
}

void ReportChartView::setPointerTracking(bool on) {
    tracking_ = on;
    setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    pointerX_ = -1;
    update();
}

void ReportChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);  // the bitmap again: the last pointer line is gone
    if (tracking_ && pointerX_ >= 0) {
        p.setPen(QColor(140, 140, 160));
        p.drawLine(pointerX_, 0, pointerX_, kReportChartHeight - 1);
    }
}

void ReportChartView::mouseMoveEvent(QMouseEvent* event) {
    if (!tracking_) return;
    pointerX_ = std::clamp(event->position().toPoint().x(), 0, kReportChartWidth - 1);
    update();
    emit pointerMoved(pointerX_);
}

void ReportChartView::mousePressEvent(QMouseEvent* event) {
    if (!tracking_ || event->button() != Qt::LeftButton) return;
    pointerX_ = std::clamp(event->position().toPoint().x(), 0, kReportChartWidth - 1);
    emit clicked(pointerX_);
    update();
}

void ReportChartView::leaveEvent(QEvent*) {
    pointerX_ = -1;
    update();
}

// ---- window -------------------------------------------------------------------------------

ReportWindow::ReportWindow(QWidget* parent, ReportWindowContext& context, const char* objectName,
                           const ReportForm& form)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), context_(context), form_(form) {
    setObjectName(objectName);
    setModal(true);
    setFont(programFont(13));
    setAutoFillBackground(true);

    content_ = new QWidget(this);
    content_->setObjectName("content");
    content_->resize(kReportWindowWidth, kReportContentHeight);

    heading_ = new QTextEdit(content_);
    heading_->setObjectName("headingEdit");
    heading_->setAcceptRichText(false);
    heading_->setGeometry(kReportChartLeft, 10, kReportChartWidth, 54);
    heading_->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    heading_->setFont(font());
    if (form_.takesTextBack(report_field::kHeading)) {
        connect(heading_, &QTextEdit::textChanged, this,
                [this] { changed(report_field::kHeading, heading_->toPlainText()); });
    }

    auto* group = new QGroupBox("谱图", content_);
    group->setGeometry(kReportChartLeft - 10, kReportChartTop - 22, kReportChartWidth + 20, kReportChartHeight + 32);
    chart_ = new ReportChartView(content_);
    chart_->move(kReportChartLeft, kReportChartTop);

    struct Button {
        const char* text;
        const char* name;
        void (ReportWindow::*slot)();
    };
    const Button buttons[] = {{"打开", "openButton", &ReportWindow::openFile},
                              {"保存为...", "saveAsButton", &ReportWindow::saveAs},
                              {"打印", "printButton", &ReportWindow::printPages},
                              {"确定", "okButton", &ReportWindow::finish}};
    int x = 430;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(b.text, content_);
        button->setObjectName(b.name);
        button->setGeometry(x, kButtonTop, 90, 28);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.slot);
        x += 100;
    }
    // The exports from the left edge, clear of a window's own button left of "打开" (x 330).
    x = 35;
    for (const auto& [kind, slot] : {std::pair{ExportKind::Pdf, &ReportWindow::exportPages},
                                     std::pair{ExportKind::Csv, &ReportWindow::exportTrace},
                                     std::pair{ExportKind::Picture, &ReportWindow::saveChartPicture}}) {
        addExportButton(content_, kind, QRect(x, kButtonTop, 90, 28), [this, slot = slot] { (this->*slot)(); });
        x += 95;
    }
    new QShortcut(QKeySequence::Open, this, [this] { openFile(); });
    new QShortcut(QKeySequence::Save, this, [this] { saveAs(); });
    new QShortcut(QKeySequence::Print, this, [this] { printPages(); });

    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName("contentScroll");
    scroll_->setRange(0, 1);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(1);
    connect(scroll_, &QScrollBar::valueChanged, this, [this] { placeContent(); });

    const QRect area = context_.area.isEmpty() ? screenArea() : context_.area;
    // The window manager's title bar sits above the client area: keep it on the screen too, so a
    // window lower than its content can still be moved and closed on a small screen.
    resize(kReportWindowWidth, std::min(area.height() - kTitleBarRoom, kReportContentHeight));
    move(area.left() + (area.width() - kReportWindowWidth) / 2, area.top());
}

QPrinter& ReportWindow::printer() {
    static QPrinter shared(QPrinter::HighResolution);
    return shared;
}

QLineEdit* ReportWindow::field(int32_t id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

QLineEdit* ReportWindow::addFormField(int32_t id, const char* label, int x, int y, int labelWidth, int fieldWidth,
                                      const char* objectName) {
    auto* caption = new QLabel(label, content_);
    caption->setGeometry(x, y, labelWidth, kFieldHeight);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(content_);
    edit->setObjectName(objectName != nullptr ? QString(objectName) : QString("field%1").arg(id));
    edit->setGeometry(x + labelWidth + 4, y, fieldWidth, kFieldHeight);
    const bool editable = form_.editable(id);
    edit->setReadOnly(!editable);
    if (!editable) edit->setFocusPolicy(Qt::NoFocus);
    if (form_.takesTextBack(id)) {
        connect(edit, &QLineEdit::textChanged, this, [this, id](const QString& text) { changed(id, text); });
    }
    fields_[id] = edit;
    return edit;
}

void ReportWindow::addDateFields(int x, int y, int labelWidth) {
    // The label keeps its usual width and ends where the other labels end.
    const int left = x + labelWidth - kDateLabelWidth;
    QLineEdit* year = addFormField(report_field::kYear, "检测日期:", left, y, kDateLabelWidth, 48, "yearEdit");
    int at = year->geometry().right() + 1;
    auto* yearUnit = new QLabel("年", content_);
    yearUnit->setGeometry(at + 2, y, 16, kFieldHeight);
    at += 20;
    struct Part {
        int32_t id;
        const char* unit;
        const char* name;
    };
    for (const Part& part : {Part{report_field::kMonth, "月", "monthEdit"}, Part{report_field::kDay, "日", "dayEdit"}}) {
        QLineEdit* edit = addFormField(part.id, "", at - 4, y, 0, 30, part.name);
        auto* unit = new QLabel(part.unit, content_);
        unit->setGeometry(edit->geometry().right() + 3, y, 16, kFieldHeight);
        at += 52;
    }
}

void ReportWindow::changed(int32_t id, const QString& text) {
    // The results the change gives; none of them takes its text back, so this ends here.
    for (const auto& [resultId, result] : form_.changed(context_.report.header(), id, text.toStdString())) {
        if (QLineEdit* edit = field(resultId)) edit->setText(qs(result));
    }
}

void ReportWindow::typeTexts(const std::vector<FieldText>& texts) {
    // A change also when a field shows the text already (Qt then reports none).
    for (const auto& [id, text] : texts) {
        QLineEdit* edit = field(id);
        if (edit == nullptr) continue;
        {
            const QSignalBlocker quiet(edit);
            edit->setText(qs(text));
        }
        if (form_.takesTextBack(id)) changed(id, edit->text());
    }
}

void ReportWindow::fill() {
    // The rules have stored every field as its text shows it; the texts go in without a second
    // change.
    for (const auto& [id, text] : fillReportForm(form_, context_.report.header())) {
        if (id == report_field::kHeading) {
            const QSignalBlocker quiet(heading_);
            heading_->setPlainText(qs(text));
        } else if (QLineEdit* edit = field(id)) {
            const QSignalBlocker quiet(edit);
            edit->setText(qs(text));
        }
    }
    filled();
}

void ReportWindow::readBack() {
    readBackReportForm(form_, context_.report.header(), [this](int32_t id) {
        if (id == report_field::kHeading) return heading_->toPlainText().toStdString();
        const QLineEdit* edit = field(id);
        return edit != nullptr ? edit->text().toStdString() : std::string();
    });
}

void ReportWindow::finish() {
    readBack();
    if (!quickWriteReport(context_.prompts, context_.report, context_.location)) return;
    if (context_.refreshPanel) context_.refreshPanel();
    accept();
}

void ReportWindow::reject() {
    if (context_.refreshPanel) context_.refreshPanel();
    QDialog::reject();
}

void ReportWindow::saveAs() {
    readBack();
    saveReportAs(context_.prompts, context_.report, context_.location);
    update();
}

void ReportWindow::openFile() {
    if (openReport(context_.prompts, context_.report, context_.location)) fill();
    update();
}

void ReportWindow::exportPages() {
    readBack();
    exportPdf(context_.prompts, {context_.location.dataFolder, documentName()}, QString::fromUtf8(documentName()),
              [this](int w, int h) { return pageLayout(w, h); });
}

void ReportWindow::exportTrace() {
    const TestReport& report = context_.report;
    const int32_t points = reportTracePoints(report.header());
    exportCsv(context_.prompts, {context_.location.dataFolder, documentName()}, [&](const std::string& path) {
        return saveTraceCsv(path, report.signalMv(), report.temperatureC(), points).ok;
    });
}

void ReportWindow::saveChartPicture() {
    savePicture(context_.prompts, {context_.location.dataFolder, documentName()}, chart_->picture());
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const bool needed = height() < kReportContentHeight;
    scroll_->setVisible(needed);
    scroll_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    if (!needed) scroll_->setValue(0);
    placeContent();
}

void ReportWindow::placeContent() {
    // Two positions: the top of the content, or its bottom at the window's bottom.
    const int offset = scroll_->value() > 0 ? std::max(0, kReportContentHeight - height()) : 0;
    content_->move(0, -offset);
}

// ---- printing -------------------------------------------------------------------------------

void ReportWindow::printDocument() {
    const bool printed = printReportDocument(context_.prompts, printer(), documentName(),
                                             [this](int w, int h) { return pageLayout(w, h); });
    if (printed) reject();
}

bool printReportDocument(Prompts& prompts, QPrinter& printer, const char* documentName,
                         const std::function<std::vector<DrawList>(int width, int height)>& pages) {
    PrintRequest request;
    request.printer = &printer;
    request.copies = 1;  // all pages, one copy
    if (!prompts.choosePrinter(request)) return false;
    const int copies = std::max(1, request.copies);
    // The copies are printed here, one whole report after the other.
    printer.setCopyCount(1);
    printer.setDocName(QString::fromUtf8(documentName));
    const UnshapedPageText unshaped;  // before the painter starts: it takes its fonts from here
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompts.message("错误", "无法开始打印,请检查打印机!", PromptIcon::Error);
        return false;
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    const std::vector<DrawList> laidOut = pages(printer.width(), printer.height());
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (const DrawList& page : laidOut) {
            if (!first) printer.newPage();
            first = false;
            paintDrawList(painter, page);
        }
    }
    painter.end();
    printer.setCopyCount(copies);
    return true;
}

}  // namespace vespian
