#pragma once
// Counts the paint events a widget receives, so a test can tell how often it was repainted
// without timing anything.

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace vespian::testing {

class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    int paints() const { return paints_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints_;
        return false;
    }

private:
    int paints_ = 0;
};

}  // namespace vespian::testing
