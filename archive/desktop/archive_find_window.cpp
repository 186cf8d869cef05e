#include "archive/desktop/archive_find_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "archive/find_form.h"
#include "archive/trend_chart.h"
#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string text(const QLineEdit* field) { return field->text().trimmed().toStdString(); }

const char* kindText(SaveKind kind) {
    switch (kind) {
    case SaveKind::Trace: return "谱图";
    case SaveKind::Report: return "报告";
    case SaveKind::Database: return "数据库";
    case SaveKind::Export: return "导出";
    case SaveKind::Evaluation: return "评价";
    }
    return "";
}

QString numberText(double value) { return QString::fromStdString(trendNumberText(value)); }

// The results the program archives, by their stable names.
constexpr const char* kResultNames[] = {"pulse_area", "dispersion", "active_area", "bet_area",
                                        "upper_temperature", "ramp_rate"};

}  // namespace

TrendView::TrendView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 220);
    setObjectName("trendView");
}

void TrendView::setTrend(const Trend& trend) {
    trend_ = trend;
    update();
}

void TrendView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setFont(programFont(12));
    const QRect plot = rect().adjusted(110, 30, -20, -40);  // room for the mean's label
    p.setPen(Qt::black);
    p.drawRect(plot);
    const std::vector<TrendPoint>& points = trend_.points;
    if (points.empty()) {
        p.drawText(plot, Qt::AlignCenter, trend_.resultName.empty() ? "选择一个结果查看趋势" : "没有带此结果的记录");
        return;
    }
    const TrendChartScale scale = trendChartScale(trend_);
    const double low = scale.low, high = scale.high;
    const WallMs first = points.front().atMs, last = points.back().atMs;
    auto xOf = [&](size_t i) { return plot.left() + 10 + (plot.width() - 20) * trendChartPosition(trend_, i); };
    auto yOf = [&](double v) { return plot.bottom() - plot.height() * (v - low) / (high - low); };
    auto level = [&](const std::optional<double>& v, const QColor& colour, Qt::PenStyle style, const QString& name) {
        if (!v) return;
        p.setPen(QPen(colour, 1.5, style));
        const double y = yOf(*v);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.drawText(QRectF(0, y - 9, plot.left() - 4, 18), Qt::AlignRight | Qt::AlignVCenter, name);
    };
    if (trend_.mean) level(trend_.mean, QColor(0, 120, 0), Qt::SolidLine, "均值 " + numberText(*trend_.mean));
    if (trend_.upperLimit) level(trend_.upperLimit, QColor(200, 0, 0), Qt::DashLine, "+3σ");
    if (trend_.lowerLimit) level(trend_.lowerLimit, QColor(200, 0, 0), Qt::DashLine, "−3σ");
    p.setPen(QPen(QColor(0, 70, 170), 1.2));
    QPainterPath path;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF at(xOf(i), yOf(points[i].value));
        i == 0 ? path.moveTo(at) : path.lineTo(at);
    }
    p.drawPath(path);
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF at(xOf(i), yOf(points[i].value));
        p.setBrush(points[i].outside ? QColor(220, 0, 0) : QColor(0, 70, 170));
        p.setPen(Qt::NoPen);
        p.drawEllipse(at, points[i].outside ? 5.0 : 3.5, points[i].outside ? 5.0 : 3.5);
    }
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left(), 4, plot.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
               qs(trend_.resultName + (trend_.unit.empty() ? "" : " [" + trend_.unit + "]")));
    p.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width() / 2, 20), Qt::AlignLeft,
               qs(isoLocalTime(first).substr(0, 10)));
    p.drawText(QRect(plot.center().x(), plot.bottom() + 4, plot.width() / 2, 20), Qt::AlignRight,
               qs(isoLocalTime(last).substr(0, 10)));
}

ArchiveFindWindow::ArchiveFindWindow(QWidget* parent, Archive& archive,
                                     std::function<bool(const std::string& path)> openTrace)
    : QDialog(parent), archive_(archive), openTrace_(std::move(openTrace)) {
    setWindowTitle("档案查询");
    setObjectName("archiveFindWindow");
    setFont(programFont(13));
    auto* form = new QGridLayout;
    auto field = [&](int row, int column, const char* label, const char* placeholder) {
        auto* edit = new QLineEdit(this);
        edit->setPlaceholderText(placeholder);
        form->addWidget(new QLabel(label, this), row, column * 2);
        form->addWidget(edit, row, column * 2 + 1);
        return edit;
    };
    sample_ = field(0, 0, "样品", "名称或其中一段");
    from_ = field(0, 1, "起始日期", "2026-03-01");
    to_ = field(0, 2, "结束日期", "2026-03-31");
    method_ = field(1, 0, "方法", "");
    operator_ = field(1, 1, "操作员", "");
    instrument_ = field(1, 2, "仪器", "TRV-8800");
    kind_ = new QComboBox(this);
    kind_->addItem("全部");
    for (SaveKind k : {SaveKind::Trace, SaveKind::Report, SaveKind::Database, SaveKind::Export, SaveKind::Evaluation}) {
        kind_->addItem(kindText(k), static_cast<int>(k));
    }
    form->addWidget(new QLabel("种类", this), 2, 0);
    form->addWidget(kind_, 2, 1);
    result_ = new QComboBox(this);
    result_->setEditable(true);
    result_->addItem("");
    for (const char* name : kResultNames) result_->addItem(name);
    form->addWidget(new QLabel("结果", this), 2, 2);
    form->addWidget(result_, 2, 3);
    auto* range = new QHBoxLayout;
    least_ = new QLineEdit(this);
    least_->setPlaceholderText("下限");
    most_ = new QLineEdit(this);
    most_->setPlaceholderText("上限");
    range->addWidget(least_);
    range->addWidget(new QLabel("至", this));
    range->addWidget(most_);
    form->addWidget(new QLabel("结果范围", this), 2, 4);
    form->addLayout(range, 2, 5);

    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName("archiveFound");
    table_->setHorizontalHeaderLabels({"保存时间", "种类", "样品", "结果", "操作员", "仪器", "文件"});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    trendView_ = new TrendView(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(table_);
    splitter->addWidget(trendView_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    status_ = new QLabel(this);
    status_->setObjectName("archiveFindStatus");
    auto* findButton = new QPushButton("查询", this);
    findButton->setDefault(true);
    auto* openButton = new QPushButton("打开谱图", this);
    auto* closeButton = new QPushButton("关闭", this);
    connect(findButton, &QPushButton::clicked, this, [this] { find(); });
    connect(openButton, &QPushButton::clicked, this, [this] { openChosen(); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { openChosen(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(findButton);
    buttons->addWidget(openButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(1200, 680);
}

bool ArchiveFindWindow::find() {
    FindForm form;
    form.sample = text(sample_);
    form.fromDay = text(from_);
    form.toDay = text(to_);
    form.method = text(method_);
    form.operatorName = text(operator_);
    form.instrument = text(instrument_);
    form.resultName = result_->currentText().trimmed().toStdString();
    form.least = text(least_);
    form.most = text(most_);
    if (kind_->currentIndex() > 0) form.kind = static_cast<SaveKind>(kind_->currentData().toInt());
    const FormQuery query = queryOfForm(form);
    if (!query.ok) {
        status_->setText(qs(query.message));
        return false;
    }
    const FindResult result = archive_.find(query.query);
    if (!result.ok) {
        status_->setText(qs(result.message));
        return false;
    }
    found_ = result.saves;
    table_->setRowCount(static_cast<int>(found_.size()));
    for (size_t i = 0; i < found_.size(); ++i) {
        const Registration& r = found_[i].registration;
        const QString value = qs(resultCellText(r, form.resultName));
        const QString cells[] = {qs(isoLocalTime(r.savedMs).substr(0, 19)).replace('T', ' '), kindText(r.kind),
                                 qs(r.sample), value, qs(r.operatorName), qs(r.instrument), qs(r.path)};
        for (int c = 0; c < 7; ++c) table_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();
    trend_ = Trend{};
    trend_.resultName = form.resultName;
    if (!form.resultName.empty()) {
        const TrendResult trend = trendOf(archive_, form.resultName, query.query);
        if (trend.ok) trend_ = trend.trend;
    }
    trendView_->setTrend(trend_);
    status_->setText(qs(findSummaryText(found_.size(), trend_)));
    return true;
}

bool ArchiveFindWindow::openChosen() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(found_.size())) {
        status_->setText("请先选择一条记录");
        return false;
    }
    const std::optional<std::string> path = tracePathOf(archive_, found_[static_cast<size_t>(row)].registration);
    if (!path) {
        status_->setText("存档中没有这条记录的谱图");
        return false;
    }
    if (!openTrace_ || !openTrace_(*path)) {
        status_->setText(qs("无法打开谱图‘" + *path + "’"));
        return false;
    }
    status_->setText(qs("已打开谱图‘" + *path + "’"));
    return true;
}

QString ArchiveFindWindow::statusText() const { return status_->text(); }

}  // namespace vespian
