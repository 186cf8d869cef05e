#include "control/desktop/step_alarm_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "sim/simulator_faults.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Steps beyond any method's length only never fire.
constexpr int kHighestStep = 999;

}  // namespace

StepAlarmDialog::StepAlarmDialog(sim::StepAlarmTrigger& trigger, QWidget* parent) : QDialog(parent), trigger_(trigger) {
    setWindowTitle("在方法的某一步报警");
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel("方法运行进入这一步时，模拟仪器发出报警，直到“解除报警”。", this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* form = new QFormLayout;
    step_ = new QSpinBox(this);
    step_->setObjectName("stepAlarmStep");
    step_->setRange(1, kHighestStep);
    step_->setPrefix("第 ");
    step_->setSuffix(" 步");
    form->addRow("步骤：", step_);
    code_ = new QComboBox(this);
    code_->setObjectName("stepAlarmCode");
    // The three alarms, labelled as the menu labels them.
    for (int code = sim::kStepAlarmLowestCode; code <= sim::kStepAlarmHighestCode; ++code) {
        code_->addItem(qs(sim::kSimulatorFaults[static_cast<size_t>(code - 1)].label), code);
    }
    form->addRow("报警：", code_);
    layout->addLayout(form);
    armed_ = new QLabel(this);
    armed_->setObjectName("stepAlarmArmed");
    layout->addWidget(armed_);

    auto* buttons = new QDialogButtonBox(this);
    arm_ = buttons->addButton("设定", QDialogButtonBox::AcceptRole);
    disarm_ = buttons->addButton("取消设定", QDialogButtonBox::ResetRole);
    buttons->addButton("关闭", QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(arm_, &QPushButton::clicked, this, [this] {
        trigger_.arm({step_->value(), code_->currentData().toInt()});
        accept();
    });
    connect(disarm_, &QPushButton::clicked, this, [this] {
        trigger_.disarm();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    if (const std::optional<sim::StepAlarm>& armed = trigger_.armed()) {
        step_->setValue(armed->step);
        code_->setCurrentIndex(armed->code - sim::kStepAlarmLowestCode);
    }
    showArmed();
}

void StepAlarmDialog::showArmed() {
    const std::optional<sim::StepAlarm>& armed = trigger_.armed();
    armed_->setText(armed ? "已设定：" + QString::fromStdString(sim::stepAlarmText(*armed)) : QString("未设定"));
    disarm_->setEnabled(armed.has_value());
}

}  // namespace vespian
