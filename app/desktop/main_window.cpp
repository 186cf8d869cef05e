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

#include "app/audit_values.h"
#include "app/close_rules.h"
#include "app/command_ids.h"
#include "app/desktop/about_box.h"
#include "app/desktop/artwork.h"
#include "app/desktop/event_list_window.h"
#include "app/event_log.h"
#include "platform/desktop/export_actions.h"
#include "platform/desktop/progress_window.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "app/settings_apply.h"
#include "app/status_texts.h"
#include "platform/desktop/screen.h"
#include "platform/prompts.h"
#include "trace/trace_file.h"
#include "trace/trace_file_commands.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr char kNotYetAvailableCaption[] = "提示";

// The status bar's six parts, by their right edges.
int partWidth(int part) {
    return kStatusPartRightEdges[part] - (part == 0 ? 0 : kStatusPartRightEdges[part - 1]);
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, Prompts& prompts, bool simulated, QWidget* parent)
    : QMainWindow(parent), state_(state), prompts_(prompts),
      journal_(state.dataFolder + kRecoveryJournalFileName) {
    setObjectName(kWindowClassName);
    setWindowTitle(kProgramTitle);
    setWindowIcon(applicationIcon());
    // Not maximised (restored, or on a desktop without a window manager) the window still has
    // room for its toolbar, its status bar and a plot.
    const QSize screen = screenSize();
    setMinimumSize(std::min(kMinimumWindowWidth, std::max(screen.width(), 640)),
                   std::min(kMinimumWindowHeight, std::max(screen.height(), 480)));
    resize(std::min(kDefaultWindowWidth, std::max(screen.width() - 40, kMinimumWindowWidth)),
           std::min(kDefaultWindowHeight, std::max(screen.height() - 80, kMinimumWindowHeight)));
    viewArea_ = new ViewArea(state_, this);
    setCentralWidget(viewArea_);
    installSavePictureShortcut(this, prompts_, [this] { return ExportPlace{state_.dataFolder, "谱图"}; },
                               [this] { return viewArea_->screenImage(); });
    buildMenu();
    buildToolbars();
    buildStatusBar(simulated);
    installHandlers();
    // The marks of the stored analysis method from the first paint on (the restore question
    // may come before the creation sequence).
    applyEffects(state_.measurement.startupEffects());

    connect(viewArea_, &ViewArea::viewButtonPressed, this, &MainWindow::viewButtonPressed);
    connect(viewArea_, &ViewArea::tabSelected, this, [this](int view) { switchView(static_cast<ViewMode>(view)); });
    connect(viewArea_, &ViewArea::statusText, this, &MainWindow::setStatus);
    connect(viewArea_, &ViewArea::traceEdited, this, [this] {
        showArchiveNotice(state_.archiving.audit(audit_action::kEdit, "cut", {},
                                                 std::to_string(state_.chromatogram->pointCount())));
    });
    connect(viewArea_, &ViewArea::horizontalUserScroll, this,
            [this] { restartTimer(kTimerAutoScrollResume, kTimerAutoScrollResumeMs); });
    connect(viewArea_, &ViewArea::manualPick, this, [this](int start, int end) {
        if (manualPickHandler_) {
            manualPickHandler_(start, end);
        } else {
            showNotYetAvailable("应用于...");
        }
    });

    makeTimer(kTimerDisplay, kTimerDisplayMs, false, &MainWindow::displayTick);
    makeTimer(kTimerLinkWatchdog, kTimerLinkWatchdogMs, false, &MainWindow::watchdogTick);
    makeTimer(kTimerFlowReadout, kTimerFlowReadoutMs, false, &MainWindow::flowTick);
    makeTimer(kTimerAlarmPoll, AlarmPoll::kFirstPollMs, true, &MainWindow::alarmTick);
    makeTimer(kTimerLinkStatus, kTimerLinkStatusMs, false, &MainWindow::linkStatusTick);
    makeTimer(kTimerProgramAbort, AlarmPoll::kForcedStopDelayMs, true, &MainWindow::programmeAbortTick);
    makeTimer(kTimerJournal, kJournalFlushMs, false, &MainWindow::journalTick);
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

MainWindow::~MainWindow() { state_.events.setListener({}); }

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
    // Shown only while an alarm persists; a narrow window clips its text rather than growing.
    alarmPart_ = new QLabel(bar);
    alarmPart_->setObjectName("alarmPart");
    alarmPart_->setFont(programFont(12, true));
    alarmPart_->setStyleSheet("QLabel { color: white; background: rgb(210, 0, 0); padding: 0 6px; }");
    alarmPart_->setMinimumWidth(40);
    alarmPart_->hide();
    bar->addPermanentWidget(alarmPart_);
    // Shown while the archive fails, with what failed; gone once a registration works again.
    archivePart_ = new QLabel(bar);
    archivePart_->setObjectName("archivePart");
    archivePart_->setFont(programFont(12));
    archivePart_->setStyleSheet("QLabel { color: black; background: rgb(255, 200, 60); padding: 0 6px; }");
    archivePart_->setMaximumWidth(420);
    archivePart_->hide();
    bar->addPermanentWidget(archivePart_);
    if (simulated) {
        // Simulated data must never be mistaken for a real instrument's.
        auto* simulator = new QLabel("模拟仪器", bar);
        simulator->setObjectName("simulatorMark");
        simulator->setStyleSheet("QLabel { color: white; background: rgb(200, 60, 0); padding: 0 6px; font-weight: bold; }");
        bar->addPermanentWidget(simulator);
    }
}

void MainWindow::showArchiveNotice(const ArchiveNotice& notice) {
    if (notice.said()) {
        archivePart_->setText(qs(notice.statusText));
        archivePart_->setToolTip(qs(notice.statusText));
        archivePart_->show();
    } else if (!state_.archiving.failing()) {
        archivePart_->hide();
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

void MainWindow::offerRestore() {
    Chromatogram& trace = *state_.chromatogram;
    const JournalContents found = inspectJournal(journal_.path());
    if (found.worthRestoring() &&
        prompts_.askYesNo("提示", restoreQuestion(found.points - 0), PromptIcon::Question)) {
        const JournalRestore restored = journal_.restore(trace);
        if (restored.ok) {
            // A restored trace can be picked by hand, as a loaded one.
            if (QAction* manualPeak = toolbarAction(kCmdManualPeak)) manualPeak->setVisible(true);
            viewArea_->redraw();
            return;
        }
        prompts_.message("错误", restored.message, PromptIcon::Error);
    } else if (found.found && !found.readable) {
        prompts_.message("错误", found.message, PromptIcon::Error);
    }
    journal_.startFresh(trace);
}

void MainWindow::create() {
    openInstrument(state_);
    applyEffects(state_.measurement.startupEffects());
    viewArea_->showToolbarOfView();
    viewArea_->redraw();
    for (int id : {kTimerDisplay, kTimerLinkWatchdog, kTimerFlowReadout, kTimerAlarmPoll, kTimerLinkStatus,
                   kTimerHover, kTimerBanner, kTimerJournal}) {
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

void MainWindow::showNotYetAvailable(const QString& what) {
    prompts_.message(kNotYetAvailableCaption, ("“" + what + "”功能尚未提供。").toStdString(),
                     PromptIcon::Information);
}

void MainWindow::showDispatchNotice(int commandId) { showNotYetAvailable(commandName(commandId)); }

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
        case EffectKind::AddLastPointToZeroOffset:
            state_.chromatogram->zeroSignal();
            showArchiveNotice(state_.archiving.audit(audit_action::kEdit, "zero"));
            break;
        case EffectKind::ClearZeroOffset:
            state_.chromatogram->restoreSignal();
            showArchiveNotice(state_.archiving.audit(audit_action::kEdit, "restore zero"));
            break;
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
        case EffectKind::OpenInjectorDialog: dispatch(kCmdInjector); break;
        case EffectKind::SetStatusText: setStatus(effect.id, qs(effect.text)); break;
        case EffectKind::RestartPeakRecognition: state_.peakRules.restart(*state_.peaks, state_.peakDetector); break;
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
        case DesorptionEffectKind::ZeroSignal: state_.chromatogram->zeroSignal(); break;
        case DesorptionEffectKind::SendCommand:
            // A desorption starts a new peak: one the recogniser had open is dropped.
            state_.peakDetector.reset();
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
        showArchiveNotice(state_.archiving.audit(audit_action::kEdit, "clear",
                                                 std::to_string(state_.chromatogram->pointCount()), "0"));
        state_.chromatogram->clearTrace();
        state_.traceMarks.clear();
        state_.archiving.traceStartsAfresh();
        journal_.flush(*state_.chromatogram);  // nothing left to keep: the journal goes at once
        viewArea_->redraw();
        break;
    case CommandRoute::InvertPolarity:
        state_.chromatogram->reversePolarity();
        showArchiveNotice(state_.archiving.audit(audit_action::kEdit, "polarity"));
        viewArea_->redraw();
        break;
    default:
        // The record tables these clear come with the record database.
        showDispatchNotice(entry.id);
        break;
    }
}

void MainWindow::openTrace() {
    if (state_.measurement.viewMode() != ViewMode::Trace) {
        reportOpen_ ? reportOpen_() : showDispatchNotice(kCmdOpen);
        return;
    }
    std::optional<std::string> chosen =
        prompts_.openFileName({"打开谱图文件", kTraceFileFilter, kTraceFilePattern, state_.dataFolder});
    if (!chosen) return;
    loadTrace(*chosen);
}

bool MainWindow::loadTrace(const std::string& path) {
    const TraceFileResult loaded = loadTraceFile(path, *state_.chromatogram);
    if (!loaded.ok) {
        prompts_.message("错误", loaded.message, PromptIcon::Error);
        return false;
    }
    journal_.markSaved(*state_.chromatogram, loaded.points);  // the file holds it
    state_.traceMarks.clear();
    showArchiveNotice(state_.archiving.traceLoaded(path));
    // The run record's heating rate and upper temperature for the reports made of this trace.
    if (state_.archiving.loadedRecord()) prefillReportHeader(*state_.archiving.loadedRecord(), state_.report->header());
    if (QAction* manualPeak = toolbarAction(kCmdManualPeak)) manualPeak->setVisible(true);
    viewArea_->redraw();
    return true;
}

void MainWindow::saveTrace() {
    if (state_.measurement.viewMode() != ViewMode::Trace) {
        reportSave_ ? reportSave_() : showDispatchNotice(kCmdSave);
        return;
    }
    const TraceFileResult saved = saveTraceWithDialog(prompts_, *state_.chromatogram, state_.dataFolder);
    if (saved.ok) {
        journal_.markSaved(*state_.chromatogram, saved.points);
        journal_.flush(*state_.chromatogram);
        showArchiveNotice(state_.archiving.traceSaved(saved.path, saved.points).notice);
    }
}

// The handlers this window has of its own; the other subsystems add theirs.
void MainWindow::installHandlers() {
    handleRoute(CommandRoute::OpenDocument, [this](const CommandEntry&) { openTrace(); });
    handleRoute(CommandRoute::SaveDocument, [this](const CommandEntry&) { saveTrace(); });
    handleRoute(CommandRoute::Exit, [this](const CommandEntry&) { exitProgram(); });
    handleRoute(CommandRoute::AboutBox, [this](const CommandEntry&) { showAbout(); });
    handleRoute(CommandRoute::EventList, [this](const CommandEntry&) { showEventList(); });
    handleCommand(kCmdSettings, [this](const CommandEntry&) { openSettings(); });
    handleRoute(CommandRoute::ZoomIn, [this](const CommandEntry&) {
        zoomIn(state_.view);
        viewArea_->dropTraceScrollBars();
        viewArea_->redraw();
    });
    handleRoute(CommandRoute::ZoomOut, [this](const CommandEntry&) {
        zoomOut(state_.view);
        viewArea_->dropTraceScrollBars();
        viewArea_->redraw();
    });
    handleRoute(CommandRoute::ViewButton, [this](const CommandEntry& e) { viewButtonPressed(e.viewButton); });
    handleRoute(CommandRoute::MeasurementState,
                [this](const CommandEntry& e) { applyEffects(state_.measurement.apply(e.id)); });
    auto tool = [this](TraceTool which) {
        return [this, which](const CommandEntry&) {
            selectTraceTool(state_.tools, state_.view, which);
            viewArea_->redraw();  // the manual-peak zero line comes and goes with its tool
        };
    };
    handleRoute(CommandRoute::ZoomBoxTool, tool(TraceTool::ZoomBox));
    handleRoute(CommandRoute::ManualPeakTool, tool(TraceTool::ManualPeak));
    handleRoute(CommandRoute::DeleteStretchTool, tool(TraceTool::DeleteStretch));
    handleRoute(CommandRoute::ReadoutTool, tool(TraceTool::Readout));
    for (CommandRoute route : {CommandRoute::ClearTrace, CommandRoute::InvertPolarity, CommandRoute::ClearDeadVolumes,
                               CommandRoute::ClearStandards, CommandRoute::ClearComparisonRecords,
                               CommandRoute::ClearBetRecords, CommandRoute::ClearPoreRecords}) {
        handleRoute(route, [this](const CommandEntry& e) { confirmAndRun(e); });
    }
    handleRoute(CommandRoute::ShowComparisonSamples, [this](const CommandEntry&) {
        state_.listKind = 1;
        viewArea_->redraw();
    });
    auto option = [this](const CommandEntry& e) {
        const int32_t on = e.route == CommandRoute::OptionOn ? 1 : 0;
        if (state_.settings.menuOption != on) {
            state_.settings.menuOption = on;
            if (QAction* item = menuAction(on != 0 ? kCmdOptionOn : kCmdOptionOff)) {
                item->setCheckable(true);
                item->setChecked(true);
            }
        }
    };
    handleRoute(CommandRoute::OptionOff, option);
    handleRoute(CommandRoute::OptionOn, option);
    for (int button = kViewButtonXZoomIn; button <= kViewButtonRestoreRange; ++button) {
        handleViewButton(button, [this, button] {
            vespian::viewButton(state_.view, button);
            viewArea_->dropTraceScrollBars();
            viewArea_->redraw();
        });
    }
}

void MainWindow::handleCommand(int commandId, CommandHandler handler) { commandHandlers_[commandId] = std::move(handler); }

void MainWindow::handleRoute(CommandRoute route, CommandHandler handler) { routeHandlers_[route] = std::move(handler); }

MainWindow::CommandHandler MainWindow::routeHandler(CommandRoute route) const {
    auto it = routeHandlers_.find(route);
    return it == routeHandlers_.end() ? CommandHandler{} : it->second;
}

void MainWindow::handleViewButton(int index, std::function<void()> handler) {
    viewButtonHandlers_[index] = std::move(handler);
}

void MainWindow::setPeakHandOver(PeakHandOver* handOver) { displayTick_.setPeakHandOver(handOver); }

void MainWindow::handlePeakDialog(int dialogTemplate, std::function<void()> opener) {
    peakDialogOpeners_[dialogTemplate] = std::move(opener);
}

void MainWindow::setManualPickHandler(std::function<void(int32_t start, int32_t end)> handler) {
    manualPickHandler_ = std::move(handler);
}

void MainWindow::setForcedStop(std::function<bool()> stop) { forcedStop_ = std::move(stop); }

void MainWindow::handleReportFile(std::function<void()> open, std::function<void()> save) {
    reportOpen_ = std::move(open);
    reportSave_ = std::move(save);
}

void MainWindow::dispatch(int commandId) {
    const CommandEntry* entry = commandFor(commandId);
    if (entry == nullptr) return;
    if (auto it = commandHandlers_.find(commandId); it != commandHandlers_.end()) {
        it->second(*entry);
    } else if (auto route = routeHandlers_.find(entry->route); route != routeHandlers_.end()) {
        route->second(*entry);
    } else {
        showDispatchNotice(commandId);
    }
}

void MainWindow::viewButtonPressed(int index) {
    viewArea_->pressViewButton(index);
    if (auto it = viewButtonHandlers_.find(index); it != viewButtonHandlers_.end()) {
        it->second();
        return;
    }
    showNotYetAvailable(qs(viewButtonLabel(index)));
    viewArea_->redraw();
}

void MainWindow::openSettings() {
    const DisplaySettings current{state_.view.backgroundColour, state_.view.traceColour, state_.view.timeRangeS,
                                  state_.view.voltRangeUv};
    auto applyColours = [this](StoredColour background, StoredColour line) {
        applyDisplayColours(state_.view, background, line);
        // The trace background is painted anew row by row, as at start-up, with its progress.
        const QSize screen = screenSize();
        ProgressWindow progress(this, "保存设置", "正在保存设置参数,请稍候...", screen.height());
        viewArea_->paintBackground(screen, state_.zevid.columns[0], [&] { progress.step(); });
        progress.finish();
    };
    auto applyRanges = [this](int32_t timeRangeS, int32_t voltRangeUv) {
        // A file that cannot be written here is reported at exit.
        applyDisplayRanges(state_.view, state_.zevid, state_.settings, state_.settingsPath(kZEvidFileName), timeRangeS,
                           voltRangeUv);
        viewArea_->dropTraceScrollBars();
    };
    // The recogniser's settings are kept in InitData.Set at once, not only at exit.
    SettingsExtraPages extra;
    extra.peak = state_.settings.peak;
    extra.applyPeak = [this](const PeakSettings& peak) {
        const std::string before = peakSettingsText(state_.settings.peak);
        const std::string after = peakSettingsText(peak);
        if (before != after) showArchiveNotice(state_.archiving.audit(audit_action::kSetting, "识峰参数", before, after));
        state_.settings.peak = peak;
        if (!writeInitData(state_.settingsPath(kInitDataFileName), state_.settings)) {
            prompts_.message("警告", "无法保存此次设置的参数!!!", PromptIcon::Warning);
        }
    };
    extra.letterhead = &state_.letterhead;
    extra.letterheadPath = state_.settingsPath(kLetterheadFileName);
    // The connection string is not audited: it may hold the server's password.
    extra.archivePath = state_.settingsPath(kArchiveSettingsFileName);
    extra.laboratoryConnection = readLaboratoryConnection(extra.archivePath);
    const ReportLetterhead letterheadBefore = state_.letterhead;
    SettingsDialog dialog(this, current, prompts_, applyColours, applyRanges, std::move(extra));
    dialog.exec();
    if (!(state_.letterhead == letterheadBefore)) {
        showArchiveNotice(state_.archiving.audit(audit_action::kSetting, "报告抬头", letterheadText(letterheadBefore),
                                                 letterheadText(state_.letterhead)));
    }
    viewArea_->redraw();
}

void MainWindow::showAbout() {
    AboutBox about(this);
    about.exec();
    viewArea_->redraw();
}

void MainWindow::exitProgram() { close(); }

PromptAnswer MainWindow::settleUnsavedTrace() {
    Chromatogram& trace = *state_.chromatogram;
    const PromptAnswer answer = prompts_.askYesNoCancel(std::string(kUnsavedTraceCaption),
                                                        std::string(kUnsavedTraceQuestion), PromptIcon::Question);
    if (answer != PromptAnswer::Yes) return answer;
    const TraceFileResult saved = saveTraceWithDialog(prompts_, trace, state_.dataFolder);
    if (!saved.ok) return PromptAnswer::Cancel;  // nothing is lost: the window stays
    journal_.markSaved(trace, saved.points);
    showArchiveNotice(state_.archiving.traceSaved(saved.path, saved.points).notice);
    journal_.flush(trace);
    return answer;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if (runGuard_ && !runGuard_()) {
        event->ignore();
        return;
    }
    std::optional<PromptAnswer> traceAnswer;
    switch (closeStep(state_.programmeRunning(), journal_.unsaved(*state_.chromatogram))) {
    case CloseStep::RefuseProgrammeRunning:
        prompts_.message(std::string(kProgrammeRunningCaption), std::string(kProgrammeRunningText), PromptIcon::Warning);
        event->ignore();
        return;
    case CloseStep::AskToSaveTrace:
        traceAnswer = settleUnsavedTrace();
        if (!leavesAfterQuestion(*traceAnswer, *traceAnswer == PromptAnswer::Yes)) {
            event->ignore();
            return;
        }
        break;
    case CloseStep::Close: break;
    }
    const bool closes = !closeGuard_ || closeGuard_();
    if (traceAnswer && retiresJournal(*traceAnswer, closes)) journal_.retire();  // the operator let it go
    if (!closes) {
        event->ignore();
        return;
    }
    closing_ = true;
    for (auto& [id, timer] : timers_) timer->stop();
    event->accept();
}

// ---- Timers --------------------------------------------------------------------------------

void MainWindow::displayTick() {
    DisplayTickInput input;
    input.traceViewShown = state_.measurement.viewMode() == ViewMode::Trace;
    input.manualPeakTool = state_.tools.manualPeak;
    input.manualPickPending = TraceMouse::manualPickPending(state_.tools);
    input.measureMode = state_.measurement.measureMode();
    input.analysisMethod = state_.measurement.analysisMethod();
    const DisplayTickResult r = displayTick_.tick(*state_.chromatogram, state_.view, state_.watchdog, input);
    if (r.newPoints) {
        if (r.timeText) setStatus(kStatusPartTime, qs(*r.timeText));
        setStatus(kStatusPartSignal, qs(r.signalText));
        setStatus(kStatusPartTemperature, qs(r.temperatureText));
        if (r.scrolled) {
            viewArea_->redrawTrace();
        } else {
            viewArea_->drawNewPoints(r.firstNew, r.endNew);
        }
    }
    if (r.rangeChanged) viewArea_->updateHorizontalRange();
    if (r.traceFullNotice) prompts_.message(kTraceFullCaption, kTraceFullText, PromptIcon::Warning);
    if (r.peaks.peakRecognised) applyDesorptionEffects(state_.autoDesorption.peakRecognised(state_.settings.peak));
    // The hand-over's boxes and dialogs are modal: opened from inside this tick they would hold
    // it, and the trace and the status bar would stand still while they are open. They open once
    // the tick has returned, and every timer keeps running under them.
    if (!r.peaks.messages.empty() || !r.peaks.dialogs.empty()) {
        QTimer::singleShot(0, this, [this, messages = r.peaks.messages, dialogs = r.peaks.dialogs] {
            if (closing_) return;
            for (const PromptMessage& message : messages) prompts_.message(message.caption, message.text, message.icon);
            for (int32_t dialog : dialogs) {
                if (auto it = peakDialogOpeners_.find(dialog); it != peakDialogOpeners_.end()) it->second();
            }
        });
    }
    if (tickListener_) tickListener_();
}

void MainWindow::watchdogTick() {
    if (vespian::watchdogTick(state_.watchdog, *state_.chromatogram) && state_.link) state_.link->reconnect();
}

void MainWindow::flowTick() {
    setStatus(kStatusPartFlow1, qs(flowText(1, readoutGasName(state_.flows, 1), state_.readings.flow1MlMin.load())));
    setStatus(kStatusPartFlow2, qs(flowText(2, readoutGasName(state_.flows, 2), state_.readings.flow2MlMin.load())));
}

void MainWindow::alarmTick() {
    // The box is modal and the timers keep running under it: the poll waits while it is shown,
    // and polls again 100 ms after OK.
    if (alarmPoll_.showing()) return;
    const AlarmPoll::Step step = alarmPoll_.tick(state_.readings.alarmCode.load(), state_.programmeRunning(),
                                                 wallClockSeconds(), state_.events);
    showAlarmPart();
    if (step.startForcedStopTimer) restartTimer(kTimerProgramAbort, AlarmPoll::kForcedStopDelayMs);
    int nextPollMs = AlarmPoll::kPollMs;
    if (step.box) {
        prompts_.message(std::string(step.box->caption), std::string(step.box->text), PromptIcon::Warning);
        nextPollMs = alarmPoll_.acknowledged().nextPollMs;
    }
    if (!closing_) restartTimer(kTimerAlarmPoll, nextPollMs);
}

void MainWindow::showAlarmPart() {
    const std::string text = alarmPoll_.statusText();
    alarmPart_->setText(qs(text));
    alarmPart_->setVisible(!text.empty());
}

void MainWindow::programmeAbortTick() {
    stopTimer(kTimerProgramAbort);
    bool stopped = false;
    if (forcedStop_) {
        stopped = forcedStop_();
    } else if (const std::optional<Command> frame = forceProgrammeStop(state_.control.programme, false)) {
        if (state_.link) state_.link->send(*frame);
        stopped = true;
    }
    if (stopped) state_.events.add(EventKind::ProgrammeStopped, std::string(kProgrammeStoppedByAlarmText));
}

void MainWindow::showEventList() {
    if (eventList_ == nullptr) {
        eventList_ = new EventListWindow(state_.events, this);
        state_.events.setListener([this](const EventEntry& entry) { eventList_->append(entry); });
    }
    eventList_->show();
    eventList_->raise();
    eventList_->activateWindow();
}

void MainWindow::linkStatusTick() { state_.linkStatus = state_.readings.lastReadStatus.load() == 0 ? 1 : 0; }

void MainWindow::journalTick() {
    if (journal_.flush(*state_.chromatogram)) {
        journalFailureShown_ = false;
        return;
    }
    // Said once while it lasts (a full disk, say); every update tries again.
    if (!journalFailureShown_) {
        journalFailureShown_ = true;
        prompts_.message("警告", "无法写入恢复文件‘" + journal_.path() + "’，程序意外退出时谱图将无法恢复。请检查磁盘空间。",
                         PromptIcon::Warning);
    }
}

}  // namespace vespian
