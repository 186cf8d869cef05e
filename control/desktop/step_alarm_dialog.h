#pragma once
// The simulator menu's "在方法的某一步报警…": which step of a method run raises which alarm.
// "设定" arms it, "取消设定" disarms it, "关闭" leaves it as it was.

#include <QDialog>
#include <optional>

#include "sim/step_alarm.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vespian {

class StepAlarmDialog : public QDialog {
public:
    explicit StepAlarmDialog(sim::StepAlarmTrigger& trigger, QWidget* parent = nullptr);

    QSpinBox* stepBox() const { return step_; }
    QComboBox* codeBox() const { return code_; }
    QLabel* armedLabel() const { return armed_; }
    QPushButton* armButton() const { return arm_; }
    QPushButton* disarmButton() const { return disarm_; }

private:
    void showArmed();

    sim::StepAlarmTrigger& trigger_;
    QSpinBox* step_ = nullptr;
    QComboBox* code_ = nullptr;
    QLabel* armed_ = nullptr;
    QPushButton* arm_ = nullptr;
    QPushButton* disarm_ = nullptr;
};

}  // namespace vespian
