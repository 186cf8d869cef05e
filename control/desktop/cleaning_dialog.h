#pragma once
// The cleaning dialog "气路清洗设定": the channel list, the seconds left drawn large, the notice,
// and "开始清洗", "关闭清洗", "退出". The countdown is the core's CleaningCountdown; timer 7025
// drives it. Escape and the close box stop a cleaning rather than leave the dialog, and "退出" is
// disabled while one runs, so the dialog is never left in the middle of a cleaning.

#include <QDialog>

#include "control/cleaning_countdown.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace vespian {

struct ControlContext;

class CleaningDialog : public QDialog {
    Q_OBJECT

public:
    explicit CleaningDialog(ControlContext& context, QWidget* parent = nullptr);

    QComboBox* channelList() const { return channel_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* exitButton() const { return exit_; }
    QLabel* digits() const { return digits_; }
    QTimer* timer() const { return timer_; }
    const CleaningCountdown& countdown() const { return countdown_; }

    // One tick of timer 7025 (public so tests can step it).
    void tick();

public slots:
    void reject() override;  // Escape and the close box: "关闭清洗"

private:
    void display(const CleaningStep& step);

    ControlContext& context_;
    CleaningCountdown countdown_;
    QComboBox* channel_ = nullptr;
    QLabel* digits_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* exit_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace vespian
