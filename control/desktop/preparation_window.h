#pragma once
// A test-preparation window of the wizard ("TPD测试准备" and its TPO, TPR and titration kin): the
// strip of the analyser's gas ports with the ports to use blinking (timer 9995: 200 ms, then every
// 400 ms), and the step's instruction. "确定" does nothing; "取消" and the close box close it.

#include <QDialog>

#include "control/guide_pages.h"

class QPushButton;
class QTimer;

namespace vespian {

class PreparationWindow : public QDialog {
    Q_OBJECT

public:
    explicit PreparationWindow(GuideKind kind, QWidget* parent = nullptr);

    bool lit() const { return blink_.lit(); }
    // One tick of timer 9995 (public so tests can step it).
    void blinkTick();
    QTimer* blinkTimer() const { return timer_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PreparationInfo& info_;
    GuideKind kind_;
    PortBlink blink_;
    QTimer* timer_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace vespian
