#pragma once
// An operating guide's window: its tall picture behind a vertical scroll bar. The TPD, TPO and
// TPR guides scroll between top and bottom only; the titration guide in steps of the window's
// height (GuideScroll). The wheel and the arrow, page, Home and End keys move as the bar does.

#include <QDialog>
#include <QImage>

#include "control/guide_pages.h"

class QScrollBar;

namespace vespian {

class GuideWindow : public QDialog {
    Q_OBJECT

public:
    explicit GuideWindow(GuideKind kind, QWidget* parent = nullptr);

    QScrollBar* scrollBar() const { return bar_; }
    int offset() const { return scroll_.offset(); }
    // The picture, made once per guide and kept while the program runs.
    static const QImage& picture(GuideKind kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    GuideKind kind_;
    GuideScroll scroll_;
    QScrollBar* bar_ = nullptr;
};

}  // namespace vespian
