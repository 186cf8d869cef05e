#pragma once
// The flow dialog "流量设定": for each channel a gas list (the 21 gases in the table's order), a
// setpoint field and "设定"; channels 3 and 4 are shown but disabled. "清洗气路设定" leads through
// the access code to the cleaning dialog. Every setting is sent by its own "设定": done, cancel and
// the close box send nothing and undo nothing.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vespian {

struct ControlContext;

class FlowDialog : public QDialog {
    Q_OBJECT

public:
    explicit FlowDialog(ControlContext& context, QWidget* parent = nullptr);

    QComboBox* gasList(int channel) const { return gas_[channel - 1]; }
    QLineEdit* setpointField(int channel) const { return setpoint_[channel - 1]; }
    QPushButton* setButton(int channel) const { return set_[channel - 1]; }
    QPushButton* cleaningButton() const { return cleaning_; }

    // "设定" of channel 1 .. 4.
    void setChannel(int channel);
    // "清洗气路设定": the access code, then the cleaning dialog.
    void openCleaning();

private:
    ControlContext& context_;
    QComboBox* gas_[4] = {};
    QLineEdit* setpoint_[4] = {};
    QPushButton* set_[4] = {};
    QPushButton* cleaning_ = nullptr;
};

}  // namespace vespian
