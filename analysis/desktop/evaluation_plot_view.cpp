#include "analysis/desktop/evaluation_plot_view.h"

#include <QPainter>

#include "platform/desktop/draw_list_painter.h"

namespace vespian {

EvaluationPlotView::EvaluationPlotView(QWidget* parent, const char* objectName) : QWidget(parent) {
    setObjectName(objectName);
    setMinimumSize(320, 240);
}

void EvaluationPlotView::setPlot(Layout layout) {
    layout_ = std::move(layout);
    redraw();
}

QImage EvaluationPlotView::render(int width, int height) const {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.fill(Qt::white);
    if (layout_) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintDrawList(painter, layout_(image.width(), image.height()));
    }
    return image;
}

void EvaluationPlotView::redraw() {
    picture_ = render(width(), height());
    update();
}

void EvaluationPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void EvaluationPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    redraw();
}

}  // namespace vespian
