#include "files/desktop/report_panel_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "files/test_report.h"
#include "platform/desktop/draw_list_painter.h"

namespace vespian {

void paintReportPanel(QPainter& painter, QSize size, const TestReportHeader& report,
                      const std::array<int32_t, kReportPanelColumns>& widths) {
    paintDrawList(painter, reportPanelDrawing(report, widths, size.width(), size.height()));
}

ReportPanelView::ReportPanelView(QWidget* parent, const TestReport& report,
                                 std::array<int32_t, kReportPanelColumns> widths)
    : QWidget(parent), report_(report), widths_(widths) {
    setObjectName("reportPanel");
    setCursor(Qt::PointingHandCursor);
}

void ReportPanelView::setWidths(std::array<int32_t, kReportPanelColumns> widths) {
    widths_ = widths;
    update();
}

void ReportPanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintReportPanel(painter, size(), report_.header(), widths_);
}

void ReportPanelView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const int32_t row = reportPanelRowAt(at.x(), at.y(), widths_);
    if (row >= 0) emit reportChosen(static_cast<ReportKind>(row));
}

}  // namespace vespian
