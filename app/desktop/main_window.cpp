#include "app/desktop/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "app/alarm_poll.h"
#include "app/command_ids.h"
#include "app/desktop/about_box.h"
#include "app/desktop/artwork.h"
#include "app/desktop/progress_window.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "app/status_texts.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"
#include "trace/trace_file_commands.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr char kNotYetAvailableCaption[] = "提示";
constexpr char kProgrammeRunningText[] = "程序升温正在运行中，请将程序升温停止后，再关闭软件!!";

// The status bar's six parts, by their right edges.
int partWidth(int part) {
    return kStatusPartRightEdges[part] - (part == 0 ? 0 : kStatusPartRightEdges[part - 1]);
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, Prompts& prompts, bool simulated, QWidget* parent)
    : QMainWindow(parent), state_(state), prompts_(prompts) {
    setObjectName(kWindowClassName);
    setWindowTitle(kProgramTitle);
    setWindowIcon(applicationIcon());
    viewArea_ = new ViewArea(state_, this);
    setCentralWidget(viewArea_);
    buildMenu();
    buildToolbars();
    buildStatusBar(simulated);

    connect(viewArea_, &ViewArea::viewButtonPressed, this, &MainWindow::viewButtonPressed);
    connect(viewArea_, &ViewArea::tabSelected, this, [this](int view) { switchView(static_cast<ViewMode>(view)); });
    connect(viewArea_, &ViewArea::statusText, this, &MainWindow::setStatus);
    connect(viewArea_, &ViewArea::horizontalUserScroll, this,
            [this] { restartTimer(kTimerAutoScrollResume, kTimerAutoScrollResumeMs); });
    connect(viewArea_, &ViewArea::notYetAvailable, this, &MainWindow::notYetAvailable);

    makeTimer(kTimerDisplay, kTimerDisplayMs, false, &MainWindow::displayTick);
    makeTimer(kTimerLinkWatchdog, kTimerLinkWatchdogMs, false, &MainWindow::watchdogTick);
    makeTimer(kTimerFlowReadout, kTimerFlowReadoutMs, false, &MainWindow::flowTick);
    makeTimer(kTimerAlarmPoll, kTimerAlarmPollFirstMs, true, &MainWindow::alarmTick);
    makeTimer(kTimerLinkStatus, kTimerLinkStatusMs, false, &MainWindow::linkStatusTick);
    makeTimer(kTimerProgramAbort, kTimerProgramAbortMs, true, &MainWindow::programmeAbortTick);
    QTimer* resume = makeTimer(kTimerAutoScrollResume, kTimerAutoScrollResumeMs, true, nullptr);
    connect(resume, &QTimer::timeout, this, [this] { state_.view.autoScroll = 1; });
    QTimer* hover = makeTimer(kTimerHover, kTimerHoverMs, false, nullptr);
    connect(hover, &QTimer::timeout, viewArea_, &ViewArea::hoverTick);
    QTimer* banner = makeTimer(kTimerBanner, kTimerBannerMs, false, nullptr);
    connect(banner, &QTimer::timeout, viewArea_, &ViewArea::bannerTick);
    QTimer* adsorption = makeTimer(kTimerAdsorptionMinutes, kTimerMinuteMs, false, nullptr);
    connect(adsorption, &QTimer::timeout, this,
            [this] { applyDesorptionEffects(state_.autoDesorption.adsorptionMinute(state_.settings.peak)); });
    QTimer* interval = makeTimer(kTimerDesorbInterval, kTimerMinuteMs, false, nullptr);
    connect(interval, &QTimer::timeout, this,
            [this] { applyDesorptionEffects(state_.autoDesorption.intervalMinute(state_.settings.peak)); });
}

MainWindow::~MainWindow() = default;

QTimer* MainWindow::makeTimer(int timerId, int periodMs, bool singleShot, void (MainWindow::*tick)()) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QString("timer%1").arg(timerId));
    timer->setInterval(periodMs);
    timer->setSingleShot(singleShot);
    if (tick != nullptr) connect(timer, &QTimer::timeout, this, tick);
    timers_[timerId] = timer;
    return timer;
}

void MainWindow::restartTimer(int timerId, int periodMs) {
    QTimer* timer = timers_.at(timerId);
    timer->setInterval(periodMs);
    timer->start();
}

void MainWindow::stopTimer(int timerId) { timers_.at(timerId)->stop(); }

bool MainWindow::timerActive(int timerId) const {
    auto it = timers_.find(timerId);
    return it != timers_.end() && it->second->isActive();
}

// ---- Building the window ------------------------------------------------------------------

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    std::function<void(QMenu*, std::span<const MenuItem>)> fill = [&](QMenu* menu, std::span<const MenuItem> items) {
        QActionGroup* radios = nullptr;
        for (const MenuItem& item : items) {
            if (item.separator) {
                menu->addSeparator();
                radios = nullptr;
                continue;
            }
            if (!item.submenu.empty()) {
                fill(menu->addMenu(qs(item.text)), item.submenu);
                continue;
            }
            QAction* action = menu->addAction(qs(item.text));
            const int id = item.commandId;
            action->setObjectName(QString("menu%1").arg(id));
            action->setEnabled(!item.grayedAtStart);
            if (item.check != MenuCheck::None) action->setCheckable(true);
            if (item.check == MenuCheck::Radio) {
                if (radios == nullptr) radios = new QActionGroup(menu);
                radios->addAction(action);
            }
            connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
            menuActions_[id] = action;
        }
    };
    for (const MenuPopup& popup : vespian::menuBar()) fill(bar->addMenu(qs(popup.title)), popup.items);

    // Accelerators work wherever the focus is in the window, menu shown or not.
    for (const Accelerator& accelerator : accelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(qs(accelerator.keys)), this);
        const int id = accelerator.commandId;
        connect(shortcut, &QShortcut::activated, this, [this, id] { dispatch(id); });
    }
}

void MainWindow::buildToolbars() {
    const ToolbarTable tables[3] = {mainToolbar(), toolbarB(), toolbarC()};
    for (int t = 0; t < 3; ++t) {
        auto* toolbar = new QToolBar(viewArea_);
        toolbar->setObjectName(QString("toolbar%1").arg(QChar('A' + t)));
        toolbar->setIconSize(QSize(kToolbarButtonWidth, kToolbarButtonHeight));
        toolbar->setMovable(false);
        toolbar->setFloatable(false);
        for (const ToolbarButton& button : tables[t].buttons) {
            if (button.separator) {
                toolbar->addSeparator();
                continue;
            }
            const int id = button.commandId;
            QAction* action = toolbar->addAction(commandIcon(id), qs(tooltipFor(id)));
            action->setObjectName(QString("tool%1").arg(id));
            action->setToolTip(qs(tooltipFor(id)));
            action->setCheckable(button.checkButton);
            action->setVisible(!button.hiddenAtStart);
            connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
            if (t == 0) toolbarActions_[id] = action;
        }
        toolbar->setVisible(!tables[t].hiddenAtStart);
        toolbars_[t] = toolbar;
    }
    viewArea_->setToolbars(toolbars_[0], toolbars_[1], toolbars_[2]);
}

void MainWindow::buildStatusBar(bool simulated) {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QString("statusBar%1").arg(kControlStatusBar));
    bar->setSizeGripEnabled(true);
    for (int part = 0; part < kStatusParts; ++part) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString("statusPart%1").arg(part));
        label->setFixedWidth(partWidth(part));
        label->setFont(programFont(12));
        bar->addWidget(label);
        statusParts_[part] = label;
    }
    statusParts_[kStatusPartReadout]->setText("坐标：");
    if (simulated) {
        // Simulated data must never be mistaken for a real instrument's.
        auto* simulator = new QLabel("模拟仪器", bar);
        simulator->setObjectName("simulatorMark");
        simulator->setStyleSheet("QLabel { color: white; background: rgb(200, 60, 0); padding: 0 6px; font-weight: bold; }");
        bar->addPermanentWidget(simulator);
    }
}

void MainWindow::setStatus(int part, const QString& text) {
    if (part >= 0 && part < kStatusParts) statusParts_[part]->setText(text);
}

QString MainWindow::statusPartText(int part) const {
    return part >= 0 && part < kStatusParts ? statusParts_[part]->text() : QString();
}

QAction* MainWindow::menuAction(int commandId) const {
    auto it = menuActions_.find(commandId);
    return it == menuActions_.end() ? nullptr : it->second;
}

QAction* MainWindow::toolbarAction(int commandId) const {
    auto it = toolbarActions_.find(commandId);
    return it == toolbarActions_.end() ? nullptr : it->second;
}

// ---- Creation ------------------------------------------------------------------------------

void MainWindow::create() {
    openInstrument(state_);
    applyEffects(state_.measurement.startupEffects());
    viewArea_->showToolbarOfView();
    viewArea_->redraw();
    for (int id : {kTimerDisplay, kTimerLinkWatchdog, kTimerFlowReadout, kTimerAlarmPoll, kTimerLinkStatus,
                   kTimerHover, kTimerBanner}) {
        timers_.at(id)->start();
    }
}

// ---- Commands ------------------------------------------------------------------------------

QString MainWindow::commandName(int commandId) const {
    if (QAction* action = menuAction(commandId)) {
        QString text = action->text();
        text.remove('&');
        return text.section("  ", 0, 0).trimmed();
    }
    return qs(tooltipFor(commandId));
}

void MainWindow::notYetAvailable(const QString& what) {
    prompts_.message(kNotYetAvailableCaption, ("“" + what + "”功能尚未提供。").toStdString(),
                     PromptIcon::Information);
}

void MainWindow::showDispatchNotice(int commandId) { notYetAvailable(commandName(commandId)); }

void MainWindow::addLastPointToZeroOffset() { state_.chromatogram->zeroSignal(); }

void MainWindow::applyEffects(const std::vector<WindowEffect>& effects) {
    for (const WindowEffect& effect : effects) {
        QAction* tool = toolbarAction(effect.id);
        QAction* item = menuAction(effect.id);
        switch (effect.kind) {
        case EffectKind::ShowToolbarButton: if (tool) tool->setVisible(true); break;
        case EffectKind::HideToolbarButton: if (tool) tool->setVisible(false); break;
        case EffectKind::CheckToolbarButton:
            if (tool) {
                tool->setCheckable(true);
                tool->setChecked(true);
            }
            break;
        case EffectKind::UncheckToolbarButton: if (tool) tool->setChecked(false); break;
        case EffectKind::CheckMenuItem:
            if (item) {
                item->setCheckable(true);
                item->setChecked(true);
            }
            break;
        case EffectKind::UncheckMenuItem: if (item) item->setChecked(false); break;
        case EffectKind::EnableMenuItem: if (item) item->setEnabled(true); break;
        case EffectKind::GrayMenuItem: if (item) item->setEnabled(false); break;
        case EffectKind::AddLastPointToZeroOffset: addLastPointToZeroOffset(); break;
        case EffectKind::ClearZeroOffset: state_.chromatogram->restoreSignal(); break;
        case EffectKind::CenterVerticalScroll: state_.view.vScroll = state_.view.vMax / 2; break;
        case EffectKind::StartAcquisitionIfStopped:
            if (state_.link) state_.link->ensureAcquisition();
            break;
        case EffectKind::SendCommand:
            if (state_.link) state_.link->send(effect.command);
            break;
        case EffectKind::StopInjectionTimers:
            applyDesorptionEffects(state_.autoDesorption.measurementStopped());
            break;
        case EffectKind::OpenInjectorDialog: showDispatchNotice(kCmdInjector); break;
        case EffectKind::SetStatusText: setStatus(effect.id, qs(effect.text)); break;
        case EffectKind::Repaint:
            viewArea_->showToolbarOfView();
            viewArea_->redraw();
            break;
        }
    }
}

void MainWindow::applyDesorptionEffects(const std::vector<DesorptionEffect>& effects) {
    for (const DesorptionEffect& effect : effects) {
        switch (effect.kind) {
        case DesorptionEffectKind::ZeroSignal: addLastPointToZeroOffset(); break;
        case DesorptionEffectKind::SendCommand:
            if (state_.link) state_.link->send(effect.command);
            break;
        case DesorptionEffectKind::StartTimer: restartTimer(effect.timerId, effect.periodMs); break;
        case DesorptionEffectKind::KillTimer: stopTimer(effect.timerId); break;
        case DesorptionEffectKind::Repaint: viewArea_->redraw(); break;
        }
    }
}

void MainWindow::switchView(ViewMode view) {
    state_.measurement.selectView(view);
    setStatus(kStatusPartTime, qs(view == ViewMode::Trace ? kTraceViewTitle : kReportViewTitle));
    viewArea_->showToolbarOfView();
    viewArea_->redraw();
}

void MainWindow::confirmAndRun(const CommandEntry& entry) {
    if (!entry.question.empty() &&
        !prompts_.askYesNo(std::string(entry.questionCaption), std::string(entry.question), PromptIcon::Question)) {
        return;
    }
    switch (entry.route) {
    case CommandRoute::ClearTrace:
        state_.chromatogram->clearTrace();
        viewArea_->redraw();
        break;
    case CommandRoute::InvertPolarity:
        state_.chromatogram->reversePolarity();
        viewArea_->redraw();
        break;
    default:
        // The record tables these clear come with the record database.
        showDispatchNotice(entry.id);
        break;
    }
}

void MainWindow::dispatch(int commandId) {
    const CommandEntry* entry = commandFor(commandId);
    if (entry == nullptr) return;
    const bool traceView = state_.measurement.viewMode() == ViewMode::Trace;
    switch (entry->route) {
    case CommandRoute::OpenDocument:
        if (!traceView) {
            showDispatchNotice(commandId);  // report files come with the test reports
        } else if (openTraceWithDialog(prompts_, *state_.chromatogram, state_.dataFolder)) {
            if (QAction* manualPeak = toolbarAction(kCmdManualPeak)) manualPeak->setVisible(true);
            viewArea_->redraw();
        }
        break;
    case CommandRoute::SaveDocument:
        if (traceView) {
            saveTraceWithDialog(prompts_, *state_.chromatogram, state_.dataFolder);
        } else {
            showDispatchNotice(commandId);
        }
        break;
    case CommandRoute::Exit: exitProgram(); break;
    case CommandRoute::AboutBox: showAbout(); break;
    case CommandRoute::Dialog:
        if (commandId == kCmdSettings) {
            openSettings();
        } else {
            showDispatchNotice(commandId);
        }
        break;
    case CommandRoute::ZoomIn:
        zoomIn(state_.view);
        viewArea_->dropTraceScrollBars();
        viewArea_->redraw();
        break;
    case CommandRoute::ZoomOut:
        zoomOut(state_.view);
        viewArea_->dropTraceScrollBars();
        viewArea_->redraw();
        break;
    case CommandRoute::ZoomBoxTool:
        selectTraceTool(state_.tools, state_.view, TraceTool::ZoomBox);
        break;
    case CommandRoute::ViewButton: viewButtonPressed(entry->viewButton); break;
    case CommandRoute::MeasurementState: applyEffects(state_.measurement.apply(commandId)); break;
    case CommandRoute::ManualPeakTool:
        selectTraceTool(state_.tools, state_.view, TraceTool::ManualPeak);
        viewArea_->redraw();
        break;
    case CommandRoute::DeleteStretchTool:
        selectTraceTool(state_.tools, state_.view, TraceTool::DeleteStretch);
        break;
    case CommandRoute::ReadoutTool:
        selectTraceTool(state_.tools, state_.view, TraceTool::Readout);
        break;
    case CommandRoute::ClearTrace:
    case CommandRoute::InvertPolarity:
    case CommandRoute::ClearDeadVolumes:
    case CommandRoute::ClearStandards:
    case CommandRoute::ClearComparisonRecords:
    case CommandRoute::ClearBetRecords:
    case CommandRoute::ClearPoreRecords: confirmAndRun(*entry); break;
    case CommandRoute::ShowComparisonSamples:
        state_.listKind = 1;
        viewArea_->redraw();
        break;
    case CommandRoute::OptionOff:
    case CommandRoute::OptionOn: {
        const int32_t on = entry->route == CommandRoute::OptionOn ? 1 : 0;
        if (state_.settings.menuOption != on) {
            state_.settings.menuOption = on;
            if (QAction* item = menuAction(on != 0 ? kCmdOptionOn : kCmdOptionOff)) {
                item->setCheckable(true);
                item->setChecked(true);
            }
        }
        break;
    }
    case CommandRoute::NewDatabase:
    case CommandRoute::SaveAsText:
    case CommandRoute::Print:
    case CommandRoute::InjectorDialog: showDispatchNotice(commandId); break;
    }
}

void MainWindow::viewButtonPressed(int index) {
    viewArea_->pressViewButton(index);
    if (index >= kViewButtonXZoomIn && index <= kViewButtonRestoreRange) {
        viewButton(state_.view, index);
        viewArea_->dropTraceScrollBars();
        viewArea_->redraw();
        return;
    }
    notYetAvailable(qs(viewButtonLabel(index)));
    viewArea_->redraw();
}

void MainWindow::openSettings() {
    const DisplaySettings current{state_.view.backgroundColour, state_.view.traceColour, state_.view.timeRangeS,
                                  state_.view.voltRangeUv};
    auto applyColours = [this](StoredColour background, StoredColour line) {
        state_.view.backgroundColour = background;
        state_.view.traceColour = line;
        // The trace background is painted anew row by row, as at start-up, with its progress.
        const QSize screen = screenSize();
        ProgressWindow progress(this, "保存设置", "正在保存设置参数,请稍候...", screen.height());
        viewArea_->paintBackground(screen, state_.zevid.columns[0], [&] { progress.step(); });
        progress.finish();
    };
    auto applyRanges = [this](int32_t timeRangeS, int32_t voltRangeUv) {
        state_.view.timeRangeS = timeRangeS;
        state_.view.voltRangeUv = voltRangeUv;
        recomputeListWidths(state_.zevid);
        // A file that cannot be written here is reported at exit.
        writeZEvidDisplayAndColumns(state_.settingsPath(kZEvidFileName), state_.zevid);
        viewArea_->dropTraceScrollBars();
    };
    SettingsDialog dialog(this, current, prompts_, applyColours, applyRanges);
    dialog.exec();
    viewArea_->redraw();
}

void MainWindow::showAbout() {
    AboutBox about(this);
    about.exec();
    viewArea_->redraw();
}

void MainWindow::exitProgram() {
    exitRequested_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exitRequested_ && state_.programmeRunning) {
        prompts_.message("警告", kProgrammeRunningText, PromptIcon::Warning);
        event->ignore();
        return;
    }
    for (auto& [id, timer] : timers_) timer->stop();
    event->accept();
}

// ---- Timers --------------------------------------------------------------------------------

void MainWindow::displayTick() {
    Chromatogram& trace = *state_.chromatogram;
    const int32_t acquired = trace.pointCount();
    if (acquired <= trace.shownCount()) return;
    state_.watchdog.pointsArrived();

    if (std::optional<std::string> elapsed = elapsedTimeText(acquired)) setStatus(kStatusPartTime, qs(*elapsed));
    const int32_t last = acquired - 1;
    setStatus(kStatusPartSignal, qs(signalText(trace.signalMv()[last])));
    setStatus(kStatusPartTemperature, qs(temperatureText(trace.temperatureC()[last])));

    const bool traceShown = state_.measurement.viewMode() == ViewMode::Trace;
    bool scrolled = false;
    while (trace.shownCount() < acquired) {
        const int32_t n = trace.shownCount();
        const bool beyond = traceShown && viewArea_->drawNewPoint(n);
        if (applyAutoScroll(state_.view, n, beyond, traceShown, state_.tools.manualPeak)) scrolled = true;
        trace.takeOverPoint();
    }
    if (scrolled) viewArea_->redrawTrace();
    const MeasureMode mode = state_.measurement.measureMode();
    if ((mode == MeasureMode::Measuring || mode == MeasureMode::Calibrating) && peakHandOver_) peakHandOver_();
}

void MainWindow::watchdogTick() {
    if (state_.watchdog.tick() && state_.link) state_.link->reconnect();
}

void MainWindow::flowTick() {
    setStatus(kStatusPartFlow1, qs(flowText(1, readoutGasName(state_.flows, 1), state_.readings.flow1MlMin.load())));
    setStatus(kStatusPartFlow2, qs(flowText(2, readoutGasName(state_.flows, 2), state_.readings.flow2MlMin.load())));
}

void MainWindow::alarmTick() {
    // The box is modal: while it is shown no further alarm is raised; afterwards the poll runs
    // again at once, so an alarm that persists is shown again.
    if (alarmShowing_) return;
    const int32_t code = state_.readings.alarmCode.load();
    if (std::optional<AlarmMessage> alarm = alarmMessageFor(code, state_.programmeRunning)) {
        alarmShowing_ = true;
        prompts_.message(std::string(alarm->caption), std::string(alarm->text), PromptIcon::Warning);
        alarmShowing_ = false;
        if (alarm->startsForcedStop) restartTimer(kTimerProgramAbort, kTimerProgramAbortMs);
    }
    restartTimer(kTimerAlarmPoll, kTimerAlarmPollMs);
}

void MainWindow::programmeAbortTick() {
    const ForcedStop stop = forcedStopFor(state_.programmeRunning);
    if (!stop.stopsProgram) return;
    state_.programmeRunning = false;
    if (state_.link) state_.link->send(stop.frame);
}

void MainWindow::linkStatusTick() { state_.linkStatus = state_.readings.lastReadStatus.load() == 0 ? 1 : 0; }

}  // namespace vespian
