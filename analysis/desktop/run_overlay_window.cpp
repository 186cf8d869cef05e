#include "analysis/desktop/run_overlay_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "analysis/desktop/evaluation_plot_view.h"
#include "analysis/desktop/tp_report_frame.h"
#include "analysis/evaluation_plots.h"
#include "analysis/run_overlay.h"
#include "platform/desktop/program_font.h"
#include "files/test_report_file.h"
#include "platform/printf_text.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr char kCaption[] = "谱图叠加";

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string withPngExtension(std::string path) {
    const std::string ext = ".png";
    if (path.size() < ext.size() || QString::fromStdString(path.substr(path.size() - ext.size())).toLower() != ".png") {
        path += ext;
    }
    return path;
}

}  // namespace

RunOverlayWindow::RunOverlayWindow(QWidget* parent, Prompts& prompts, std::string dataFolder)
    : QDialog(parent), prompts_(prompts), dataFolder_(std::move(dataFolder)) {
    setObjectName("runOverlayWindow");
    setWindowTitle(kCaption);
    setFont(programFont(13));
    resize(1000, 760);

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    list_ = new QListWidget;
    list_->setObjectName("runList");
    list_->setMaximumHeight(130);
    top->addWidget(list_, 1);
    auto* side = new QVBoxLayout;
    auto* add = new QPushButton("添加报告(&A)...");
    add->setObjectName("addButton");
    auto* remove = new QPushButton("移除(&R)");
    remove->setObjectName("removeButton");
    perGram_ = new QCheckBox("按单位样品重量(&G)");
    perGram_->setObjectName("perGramBox");
    side->addWidget(add);
    side->addWidget(remove);
    side->addWidget(perGram_);
    side->addStretch();
    top->addLayout(side);
    outer->addLayout(top);

    plot_ = new EvaluationPlotView(this, "overlayPlot");
    outer->addWidget(plot_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* save = new QPushButton("保存图片(&S)...");
    save->setObjectName("savePictureButton");
    auto* print = new QPushButton("打印(&P)...");
    print->setObjectName("printButton");
    auto* close = new QPushButton("关闭(&C)");
    close->setObjectName("closeButton");
    buttons->addWidget(save);
    buttons->addWidget(print);
    buttons->addWidget(close);
    outer->addLayout(buttons);

    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &RunOverlayWindow::addRuns);
    connect(remove, &QPushButton::clicked, this, &RunOverlayWindow::removeSelected);
    connect(perGram_, &QCheckBox::toggled, this, &RunOverlayWindow::rebuild);
    connect(save, &QPushButton::clicked, this, &RunOverlayWindow::savePicture);
    connect(print, &QPushButton::clicked, this, &RunOverlayWindow::print);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    new QShortcut(QKeySequence::Open, this, [this] { addRuns(); });
    new QShortcut(QKeySequence::Save, this, [this] { this->savePicture(); });
    new QShortcut(QKeySequence::Print, this, [this] { this->print(); });
    auto* del = new QShortcut(QKeySequence::Delete, list_, [this] { removeSelected(); });
    del->setContext(Qt::WidgetShortcut);

    plot_->setPlot([this](int w, int h) {
        std::vector<OverlayRun> runs;
        std::vector<std::string> legends;
        for (const SavedRun& r : runs_) {
            runs.push_back({r.signalMv, r.temperatureC, r.header.sampleWeightG});
            legends.push_back(r.legend());
        }
        return overlayChart(runs, legends, perGram_->isChecked(), w, h);
    });
}

bool RunOverlayWindow::addRunFile(const std::string& path) {
    if (runCount() >= kMaxOverlayRuns) {
        prompts_.message(kCaption, printfText("最多叠加%d个谱图。", kMaxOverlayRuns), PromptIcon::Warning);
        return false;
    }
    SavedRun run;
    const SavedRunResult read = readSavedRun(path, run);
    if (!read.ok) {
        prompts_.message(kCaption, read.message, PromptIcon::Error);
        return false;
    }
    runs_.push_back(std::move(run));
    rebuild();
    return true;
}

void RunOverlayWindow::addRuns() {
    const std::optional<std::string> path =
        prompts_.openFileName({"打开报告文件", kReportFileFilter, kReportFilePattern, dataFolder_});
    if (path) addRunFile(*path);
}

void RunOverlayWindow::removeSelected() {
    const int row = list_->currentRow();
    if (row < 0 || row >= runCount()) return;
    runs_.erase(runs_.begin() + row);
    rebuild();
}

void RunOverlayWindow::rebuild() {
    list_->clear();
    for (int k = 0; k < runCount(); ++k) {
        const SavedRun& r = runs_[static_cast<size_t>(k)];
        auto* item = new QListWidgetItem(qs(r.legend() + "    " + r.fileName()));
        const DrawColour c = overlayDrawColour(k);
        item->setForeground(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        list_->addItem(item);
    }
    plot_->redraw();
}

void RunOverlayWindow::savePicture() {
    if (runs_.empty()) {
        prompts_.message(kCaption, "请先添加要叠加的报告文件。", PromptIcon::Information);
        return;
    }
    const std::optional<std::string> chosen =
        prompts_.saveFileName({"保存图片", "PNG图片 (*.png)", "*.png", dataFolder_, "谱图叠加.png"});
    if (!chosen) return;
    const std::string path = withPngExtension(*chosen);
    const QImage picture = plot_->render(kOverlayPictureWidth, kOverlayPictureHeight);
    if (!picture.save(QString::fromStdString(path), "PNG")) {
        prompts_.message(kCaption, "无法建立‘" + path + "’文件", PromptIcon::Error);
    }
}

void RunOverlayWindow::print() {
    if (runs_.empty()) {
        prompts_.message(kCaption, "请先添加要叠加的报告文件。", PromptIcon::Information);
        return;
    }
    QPrinter& printer = ReportWindow::printer();
    PrintRequest request;
    request.printer = &printer;
    if (!prompts_.choosePrinter(request)) return;
    printer.setDocName(QString::fromUtf8(kCaption));
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompts_.message("错误", "无法开始打印,请检查打印机!", PromptIcon::Error);
        return;
    }
    // The picture as on screen, scaled to the page's width, its proportions kept.
    const QImage picture = plot_->render(kOverlayPictureWidth, kOverlayPictureHeight);
    const QRect page = painter.viewport();
    const int height = page.width() * kOverlayPictureHeight / kOverlayPictureWidth;
    const int copies = std::max(1, request.copies);
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0) printer.newPage();
        painter.drawImage(QRect(page.left(), page.top(), page.width(), std::min(height, page.height())), picture);
    }
    painter.end();
}

}  // namespace vespian
