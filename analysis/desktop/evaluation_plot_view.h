#pragma once
// A picture of the evaluation windows (Kissinger plot, overlay of runs, BET line): the core lays
// out a draw list for the widget's size, this widget replays it and keeps the image, so the same
// picture can be saved or printed as the operator sees it.

#include <QImage>
#include <QWidget>

#include <functional>

#include "platform/draw_list.h"

namespace vespian {

class EvaluationPlotView : public QWidget {
    Q_OBJECT

public:
    using Layout = std::function<DrawList(int width, int height)>;

    explicit EvaluationPlotView(QWidget* parent, const char* objectName);

    void setPlot(Layout layout);  // and redraw
    void redraw();
    const QImage& picture() const { return picture_; }
    // The picture at another size (for saving and printing).
    QImage render(int width, int height) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Layout layout_;
    QImage picture_;
};

}  // namespace vespian
