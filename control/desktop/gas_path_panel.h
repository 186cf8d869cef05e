#pragma once
// The gas-path panel "气路控制": our picture of the gas path with the eight valve buttons where the
// valves are drawn, the three digital readouts (flows of channels 1 and 2, furnace temperature,
// refreshed by timer 6321 every 200 ms), and the buttons that open the flow dialog, the programme
// dialog and the four operating guides.

#include <QDialog>
#include <QImage>

class QPushButton;
class QTimer;

namespace vespian {

struct ControlContext;
class InstrumentControl;

class GasPathPanel : public QDialog {
    Q_OBJECT

public:
    GasPathPanel(ControlContext& context, InstrumentControl& windows, QWidget* parent = nullptr);

    QPushButton* valveButton(int k) const { return valves_[k]; }
    QPushButton* button(int id) const;  // 1022 … 1028
    QTimer* readoutTimer() const { return readouts_; }

    // Valve k's button pressed.
    void toggle(int k);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    unsigned valveBits() const;

    ControlContext& context_;
    InstrumentControl& windows_;
    QImage background_;
    QPushButton* valves_[8] = {};
    QPushButton* others_[7] = {};
    QTimer* readouts_ = nullptr;
};

}  // namespace vespian
