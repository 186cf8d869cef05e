#pragma once
// The connection views "仪器后视接口图" and "仪器右视接口图": one picture each, in a window of
// its size.

#include <QDialog>
#include <QImage>

#include "control/guide_pages.h"

namespace vespian {

class ConnectionView : public QDialog {
    Q_OBJECT

public:
    enum class Side { Rear, Right };
    explicit ConnectionView(Side side, QWidget* parent = nullptr);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace vespian
