#include "method/desktop/run_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "control/programme_preview.h"
#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Steps shown as coming next.
constexpr int kNextShown = 6;

}  // namespace

RunView::RunView(QWidget* parent) : QDialog(parent) {
    setObjectName("methodRunView");
    setWindowTitle(kRunViewTitle);
    setModal(false);
    auto* root = new QVBoxLayout(this);
    name_ = new QLabel;
    name_->setFont(programFont(14, true));
    root->addWidget(name_);
    state_ = new QLabel;
    state_->setObjectName("runState");
    root->addWidget(state_);
    step_ = new QLabel;
    step_->setObjectName("currentStep");
    step_->setFont(programFont(13, true));
    step_->setWordWrap(true);
    root->addWidget(step_);
    progress_ = new QProgressBar;
    progress_->setObjectName("stepProgress");
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    root->addWidget(progress_);
    stepTime_ = new QLabel;
    stepTime_->setObjectName("stepTime");
    root->addWidget(stepTime_);
    runTime_ = new QLabel;
    runTime_->setObjectName("runTime");
    root->addWidget(runTime_);
    root->addWidget(new QLabel("接下来的步骤"));
    next_ = new QListWidget;
    next_->setObjectName("nextSteps");
    next_->setMaximumHeight(130);
    root->addWidget(next_);
    root->addWidget(new QLabel("运行记录"));
    log_ = new QListWidget;
    log_->setObjectName("runLog");
    log_->setWordWrap(true);
    root->addWidget(log_, 1);

    auto* buttons = new QHBoxLayout;
    pause_ = new QPushButton("暂停");
    pause_->setObjectName("pauseRun");
    skip_ = new QPushButton("跳过此步");
    skip_->setObjectName("skipStep");
    abort_ = new QPushButton("中止运行");
    abort_->setObjectName("abortRun");
    auto* close = new QPushButton("关闭");
    close->setObjectName("closeRunView");
    for (QPushButton* b : {pause_, skip_, abort_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    buttons->addWidget(close);
    root->addLayout(buttons);
    connect(pause_, &QPushButton::clicked, this, [this] {
        const auto& act = paused_ ? handlers_.resume : handlers_.pause;
        if (act) act();
    });
    connect(skip_, &QPushButton::clicked, this, [this] {
        if (handlers_.skip) handlers_.skip();
    });
    connect(abort_, &QPushButton::clicked, this, [this] {
        if (handlers_.abort) handlers_.abort();
    });
    // The view may be closed while the run goes on; the menu brings it back.
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    resize(520, 640);
}

void RunView::begin(const MethodFile& method) {
    method_ = method;
    paused_ = false;
    log_->clear();
    name_->setText(qs(method.name) + "  样品：" + qs(method.sample.name));
}

void RunView::showProgress(const RunProgress& p) {
    paused_ = p.state == RunState::Paused;
    const bool active = p.state == RunState::Running || p.state == RunState::Paused;
    switch (p.state) {
    case RunState::Idle: state_->setText("尚未开始"); break;
    case RunState::Running:
        state_->setText(p.linkLost ? "运行中：仪器无数据，需要仪器的步骤等待连接恢复" : "运行中");
        break;
    case RunState::Paused: state_->setText("已暂停"); break;
    case RunState::Finished:
        state_->setText(qs(p.end == RunEnd::Completed ? "已完成" : p.end == RunEnd::Alarm ? "因报警结束" : "已中止") +
                        (p.endMessage.empty() ? QString() : "：" + qs(p.endMessage)));
        break;
    }
    state_->setStyleSheet(p.state == RunState::Finished && p.end != RunEnd::Completed ? "color: #c02020" : "");
    step_->setText(active ? QString("第%1/%2步  %3").arg(p.step + 1).arg(p.stepCount).arg(qs(p.stepText)) : QString());
    progress_->setValue(static_cast<int>(std::clamp(p.stepFraction, 0.0, 1.0) * 1000.0));
    if (active) {
        QString left = p.stepRemainingS >= 0.0 ? "，还剩" + qs(durationText(p.stepRemainingS)) : QString("，剩余时间未知");
        if (p.pulsesInjected > 0) left += QString("，已进样%1次").arg(p.pulsesInjected);
        stepTime_->setText("本步已用" + qs(durationText(p.stepElapsedS)) + left);
    } else {
        stepTime_->clear();
    }
    runTime_->setText("运行已用" + qs(durationText(p.runElapsedS)) +
                      (active ? "，预计还需" + qs(durationText(p.runRemainingS)) : QString()));
    next_->clear();
    if (active) {
        for (int i = p.step + 1; i < p.stepCount && i <= p.step + kNextShown; ++i) {
            const MethodStep& step = method_.steps[static_cast<size_t>(i)];
            next_->addItem(qs(stepTitle(i, step)) + "  " + qs(describeStep(step)));
        }
    }
    pause_->setText(paused_ ? "继续" : "暂停");
    pause_->setEnabled(active);
    skip_->setEnabled(active);
    abort_->setEnabled(active);
}

void RunView::addLine(const QString& line) {
    log_->addItem(line);
    log_->scrollToBottom();
}

QString RunView::stepText() const { return step_->text(); }
QString RunView::stateText() const { return state_->text(); }

}  // namespace vespian
