#pragma once
// The run view of a method: the current step, its progress, the time it has taken and has left,
// the whole run's elapsed and remaining time, the steps to come, the run's log as it grows, and
// the operator's pause/resume, skip and abort. It stays open beside the trace, which keeps
// drawing; when the run has ended it says how, and closes.

#include <QDialog>
#include <functional>

#include "method/method_file.h"
#include "method/method_runner.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vespian {

inline constexpr char kRunViewTitle[] = "方法运行";

class RunView : public QDialog {
public:
    explicit RunView(QWidget* parent = nullptr);

    struct Handlers {
        std::function<void()> pause;
        std::function<void()> resume;
        std::function<void()> skip;
        std::function<void()> abort;
    };
    void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

    // A new run of the method: the log is emptied.
    void begin(const MethodFile& method);
    // The run as it stands now.
    void showProgress(const RunProgress& progress);
    void addLine(const QString& line);

    QString stepText() const;
    QString stateText() const;
    QListWidget* nextSteps() const { return next_; }
    QListWidget* log() const { return log_; }
    QPushButton* pauseButton() const { return pause_; }

private:
    Handlers handlers_;
    MethodFile method_;
    bool paused_ = false;
    QLabel* name_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* step_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* stepTime_ = nullptr;
    QLabel* runTime_ = nullptr;
    QListWidget* next_ = nullptr;
    QListWidget* log_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* abort_ = nullptr;
};

}  // namespace vespian
