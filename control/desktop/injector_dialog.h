#pragma once
// The injector dialog "进样器控制": four check boxes, "吸附" and "脱附". A button sends the byte,
// records the mask and states, and closes the dialog; pressed() then tells the main window what
// happened, for its automatic desorption. With no box ticked a button says so and does nothing.

#include <QDialog>
#include <optional>

#include "control/injector_control.h"

class QCheckBox;
class QPushButton;

namespace vespian {

struct ControlContext;

class InjectorDialog : public QDialog {
    Q_OBJECT

public:
    explicit InjectorDialog(ControlContext& context, QWidget* parent = nullptr);

    QCheckBox* box(int injector) const { return boxes_[injector - 1]; }  // 1 .. 4
    QPushButton* adsorbButton() const { return adsorb_; }
    QPushButton* desorbButton() const { return desorb_; }
    // The button used, when one was; none when the dialog was closed otherwise.
    const std::optional<InjectorPress>& pressed() const { return pressed_; }

private:
    void press(InjectorOperation operation);

    ControlContext& context_;
    QCheckBox* boxes_[kInjectors] = {};
    QPushButton* adsorb_ = nullptr;
    QPushButton* desorb_ = nullptr;
    std::optional<InjectorPress> pressed_;
};

}  // namespace vespian
