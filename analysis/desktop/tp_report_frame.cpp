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

#include <algorithm>

#include "analysis/tp_report.h"
#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "files/test_report.h"
#include "files/trace_csv.h"
#include "platform/prompts.h"
#include "platform/desktop/draw_list_painter.h"
#include "platform/desktop/pdf_document.h"

namespace vespian {

// Room kept above a report window for the window manager's title bar.
constexpr int kTitleBarRoom = 32;


namespace {

constexpr int kFieldHeight = 22;
constexpr int kButtonTop = 848;
constexpr int kScrollBarWidth = 16;

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

ReportWindow::ReportWindow(QWidget* parent, ReportWindowContext& context, const char* objectName)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), context_(context) {
    setObjectName(objectName);
    setModal(true);
    setFont(programFont(13));
    setAutoFillBackground(true);

    content_ = new QWidget(this);
    content_->setObjectName("content");
    content_->resize(kReportWindowWidth, kReportContentHeight);

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

QLineEdit* ReportWindow::addField(const char* label, int x, int y, int labelWidth, int fieldWidth,
                                  const char* objectName, bool editable) {
    auto* caption = new QLabel(label, content_);
    caption->setGeometry(x, y, labelWidth, kFieldHeight);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* field = new QLineEdit(content_);
    field->setObjectName(objectName);
    field->setGeometry(x + labelWidth + 4, y, fieldWidth, kFieldHeight);
    field->setReadOnly(!editable);
    if (!editable) field->setFocusPolicy(Qt::NoFocus);
    return field;
}

void ReportWindow::addDateFields(int x, int y, QLineEdit** year, QLineEdit** month, QLineEdit** day) {
    *year = addField("检测日期:", x, y, 110, 48, "yearEdit");
    int at = x + 110 + 4 + 48;
    struct Part {
        const char* unit;
        const char* name;
        QLineEdit** edit;
    };
    auto* yearUnit = new QLabel("年", content_);
    yearUnit->setGeometry(at + 2, y, 16, kFieldHeight);
    at += 20;
    for (const Part& part : {Part{"月", "monthEdit", month}, Part{"日", "dayEdit", day}}) {
        auto* edit = new QLineEdit(content_);
        edit->setObjectName(part.name);
        edit->setGeometry(at, y, 30, kFieldHeight);
        *part.edit = edit;
        auto* unit = new QLabel(part.unit, content_);
        unit->setGeometry(at + 32, y, 16, kFieldHeight);
        at += 52;
    }
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
    const int32_t points = std::clamp(report.header().reportPointCount, 0, kMaxPoints);
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
