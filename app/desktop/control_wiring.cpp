#include "app/desktop/control_wiring.h"

#include <QApplication>
#include <QWidget>

#include "app/audit_values.h"
#include "app/auto_desorption.h"
#include "app/command_ids.h"
#include "app/desktop/main_window.h"
#include "app/program_state.h"
#include "control/desktop/instrument_control.h"
#include "control/desktop/simulator_menu.h"

namespace vespian {

namespace {

constexpr char kFlowSettingSubject[] = "气体流量设定";

// The commands whose windows stand alone, without an owner: each its own kind but the two that
// open the same programme dialog.
constexpr int kWindowCommands[] = {kCmdTemperatureProgram, kCmdTemperatureProgramAlt, kCmdGuideTpd,
                                   kCmdGuideTpo,           kCmdGuideTpr,              kCmdGuideTitration,
                                   kCmdRearPanelView,      kCmdRightPanelView,        kCmdWizardTpd,
                                   kCmdWizardTpo,          kCmdWizardTpr,             kCmdWizardTitration};

int kindOf(int commandId) {
    return commandId == kCmdTemperatureProgramAlt ? kCmdTemperatureProgram : commandId;
}

}  // namespace

ControlWiring::ControlWiring(MainWindow& window, ProgramState& state, Prompts& prompts,
                             sim::SimulatedAnalyser* simulator, double speed)
    : window_(window), state_(state),
      context_{state.control, state.flows, state.readings, *state.chromatogram, prompts, {}, {}, {}, {}} {
    // Every frame goes out on the link (a write with no device open fails silently, as the
    // analyser's other commands do).
    context_.send = [this](const Command& command) {
        if (state_.link) state_.link->send(command);
    };
    context_.linkUp = [this] { return state_.linkStatus != 0; };
    context_.wallSeconds = localWallSeconds;
    context_.secondOfDay = localSecondOfDay;
    instrument_ = std::make_unique<InstrumentControl>(context_);

    for (int id : kWindowCommands) {
        window_.handleCommand(id, [this](const CommandEntry& entry) {
            once(kindOf(entry.id), [this, id = entry.id] { instrument_->openCommand(id); });
        });
    }
    // The flow dialog and the panel are modal over the main window.
    window_.handleCommand(kCmdFlowSetting, [this](const CommandEntry&) {
        once(kCmdFlowSetting, [this] { auditedFlows([this] { instrument_->openFlows(&window_); }); });
    });
    window_.handleCommand(kCmdGasPath, [this](const CommandEntry&) {
        once(kCmdGasPath, [this] { auditedFlows([this] { instrument_->openGasPath(&window_); }); });
    });
    window_.handleCommand(kCmdInjector, [this](const CommandEntry&) { openInjector(); });
    window_.setForcedStop([this] { return forcedStop(); });

    if (simulator != nullptr) simulatorMenu_ = addSimulatorMenu(window_.menuBar(), *simulator, speed, &stepAlarm_);
}

ControlWiring::~ControlWiring() = default;

ControlState& ControlWiring::controlState() { return state_.control; }

template <typename Open>
void ControlWiring::once(int kind, Open open) {
    if (open_.count(kind) != 0) {
        if (QWidget* shown = QApplication::activeModalWidget()) {
            shown->raise();
            shown->activateWindow();
        }
        return;
    }
    open_.insert(kind);
    open();
    open_.erase(kind);
}

template <typename Open>
void ControlWiring::auditedFlows(Open open) {
    // The gases and setpoints sent while the dialog was open make one audit row when it closes.
    const std::string before = flowChannelsText(state_.flows);
    open();
    const std::string after = flowChannelsText(state_.flows);
    if (after != before) {
        window_.showArchiveNotice(state_.archiving.audit(audit_action::kSetting, kFlowSettingSubject, before, after));
    }
}

void ControlWiring::openInjector() {
    std::optional<InjectorPress> press;
    once(kCmdInjector, [&] { press = instrument_->openInjector(&window_); });
    if (open_.count(kCmdInjector) != 0) return;  // the request that found it open
    const bool adsorb = press && press->adsorb;
    const bool desorb = press && press->desorb;
    // A desorption ends the peak being recognised: the sample's peak starts afresh.
    if (desorb) state_.peakDetector.reset();
    const std::array<bool, kInjectorPositionCount> positions =
        positionsAfterInjectorDialog(state_.autoDesorption, adsorb, desorb, press ? state_.control.injectors.mask : 0);
    window_.applyDesorptionEffects(
        state_.autoDesorption.injectorDialogClosed(adsorb, positions, state_.settings.peak));
}

bool ControlWiring::forcedStop() { return instrument_->forcedStop(); }

}  // namespace vespian
