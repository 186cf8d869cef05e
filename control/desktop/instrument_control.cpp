#include "control/desktop/instrument_control.h"

#include "control/desktop/control_context.h"
#include "control/desktop/flow_dialog.h"
#include "control/desktop/gas_path_panel.h"
#include "control/desktop/guide_window.h"
#include "control/desktop/injector_dialog.h"
#include "control/desktop/preparation_window.h"
#include "control/desktop/programme_dialog.h"

namespace vespian {

namespace {

constexpr int kCmdProgramme = 32819;
constexpr int kCmdProgrammeAlt = 32821;
constexpr int kCmdFlows = 32816;
constexpr int kCmdGasPath = 32818;

}  // namespace

InstrumentControl::InstrumentControl(ControlContext& context, QObject* parent) : QObject(parent), context_(context) {}

bool InstrumentControl::openCommand(int commandId) {
    switch (commandId) {
    case kCmdProgramme:
    case kCmdProgrammeAlt: openProgramme(); return true;
    case kCmdFlows: openFlows(); return true;
    case kCmdGasPath: openGasPath(); return true;
    case 32822: openConnectionView(ConnectionView::Side::Rear); return true;
    case 32823: openConnectionView(ConnectionView::Side::Right); return true;
    default: break;
    }
    if (std::optional<GuideKind> guide = guideForCommand(commandId)) {
        openGuide(*guide);
        return true;
    }
    if (std::optional<GuideKind> preparation = preparationForCommand(commandId)) {
        openPreparation(*preparation);
        return true;
    }
    return false;
}

void InstrumentControl::openProgramme(QWidget* owner) {
    ProgrammeDialog dialog(context_, owner);
    dialog.exec();
}

void InstrumentControl::openFlows(QWidget* owner) {
    FlowDialog dialog(context_, owner);
    dialog.exec();
}

void InstrumentControl::openGasPath(QWidget* owner) {
    GasPathPanel panel(context_, *this, owner);
    panel.exec();
}

std::optional<InjectorPress> InstrumentControl::openInjector(QWidget* owner) {
    InjectorDialog dialog(context_, owner);
    dialog.exec();
    return dialog.pressed();
}

void InstrumentControl::openGuide(GuideKind kind, QWidget* owner) {
    GuideWindow window(kind, owner);
    window.exec();
}

void InstrumentControl::openConnectionView(ConnectionView::Side side) {
    ConnectionView view(side);
    view.exec();
}

void InstrumentControl::openPreparation(GuideKind kind) {
    PreparationWindow window(kind);
    window.exec();
}

bool InstrumentControl::forcedStop() {
    ProgrammeDialog* dialog = ProgrammeDialog::openDialog();
    const std::optional<Command> frame = forceProgrammeStop(context_.control.programme, dialog != nullptr);
    if (!frame) return false;
    if (dialog != nullptr) dialog->showForcedStop();
    context_.send(*frame);
    return true;
}

}  // namespace vespian
