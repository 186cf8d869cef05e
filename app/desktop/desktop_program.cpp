#include "app/desktop/desktop_program.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLocale>
#include <array>
#include <cstdio>

#include "app/desktop/archive_wiring.h"
#include "app/desktop/artwork.h"
#include "app/desktop/control_wiring.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/evaluation_wiring.h"
#include "app/desktop/list_wiring.h"
#include "app/desktop/pore_view_wiring.h"
#include "app/desktop/surface_wiring.h"
#include "app/desktop/main_window.h"
#include "app/desktop/method_wiring.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/view_area.h"
#include "app/desktop/splash_window.h"
#include "app/program_usage.h"
#include "app/splash_progress.h"
#include "platform/data_location.h"
#include "platform/desktop/qt_prompts.h"
#include "platform/desktop/screen.h"
#include "platform/desktop/translations.h"
#include "platform/desktop/window_placement.h"
#include "platform/printf_text.h"
#include "sim/simulator_driver.h"
#include "sim/step_alarm.h"
#include "app/save_facts.h"
#include "platform/saved_files.h"

namespace vespian {

namespace {

// Reports the time from the process start to the first paint of the view area (asked for with
// the environment variable VESPIAN_STARTUP_TIME), for measuring the start-up.
class FirstPaintClock : public QObject {
public:
    explicit FirstPaintClock(const QElapsedTimer& clock) : clock_(clock) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            std::fprintf(stderr, "start-up to the first painted main window: %lld ms\n",
                         static_cast<long long>(clock_.elapsed()));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& clock_;
    bool reported_ = false;
};

}  // namespace

DesktopProgram::DesktopProgram(std::string workingFolder, Prompts& prompts)
    : state_(std::make_unique<ProgramState>(std::move(workingFolder))), prompts_(prompts) {}

DesktopProgram::~DesktopProgram() {
    finish();
    methods_.reset();
    poreView_.reset();
    lists_.reset();
    surface_.reset();
    database_.reset();
}

bool DesktopProgram::start(const LinkOptions& options, bool showSplash) {
    // Every window and dialog from here on is kept on the screen, however small it is.
    WindowPlacement::install();
    QDir().mkpath(QString::fromStdString(state_->dataFolder));
    std::string error;
    if (!connectDeviceSources(*state_, options, &error)) {
        prompts_.message("错误", error, PromptIcon::Error);
        return false;
    }
    loadStartupSettings(*state_, prompts_);
    // The archive opens before the first save; a failure is said once the window is there.
    const ArchiveNotice archiveNotice = openProgramArchive(*state_);

    const QSize screen = screenSize();
    std::unique_ptr<SplashWindow> splash;
    if (showSplash) {
        splash = std::make_unique<SplashWindow>();
        splash->show();
        QApplication::processEvents();
        // No database is open at start, so its five record counts are zeros.
        splash->setTotal(splashProgressTotal(screen.height(), std::array<uint16_t, 5>{}));
    }

    window_ = std::make_unique<MainWindow>(*state_, prompts_, options.source == LinkOptions::Source::Simulator);
    window_->showArchiveNotice(archiveNotice);
    reports_ = std::make_unique<ReportWiring>(*window_, *state_, prompts_);
    installEvaluationMenu(*window_, *state_, prompts_);
    installArchiveMenu(*window_, *state_, prompts_);
    // Last, so that the simulator's menu comes after the program's own.
    sim::SimulatedAnalyser* simulator = state_->sources.simulator ? &state_->sources.simulator->analyser() : nullptr;
    control_ = std::make_unique<ControlWiring>(*window_, *state_, prompts_, simulator, options.speed);
    // The trace background is painted while the splash shows its progress.
    const int listWidth = state_->zevid.columns[0];
    window_->viewArea()->paintBackground(screen, listWidth, [&] {
        if (splash) splash->step();
    });
    window_->showMaximized();
    // Before the link opens: a restored trace goes in before the first new point.
    window_->offerRestore();
    window_->create();
    if (splash) splash->close();
    // The remembered database (a refused file is reported over the window, not the splash).
    database_ = std::make_unique<DatabaseWiring>(*window_, *state_, prompts_);
    surface_ = std::make_unique<SurfaceWiring>(*window_, *state_, prompts_);
    lists_ = std::make_unique<ListWiring>(*window_, *state_, prompts_, *database_);
    poreView_ = std::make_unique<PoreViewWiring>(*window_, *state_, *database_, *reports_);
    surface_->setPoreTable(&database_->pores());
    database_->setTablesChanged([this] { lists_->redraw(); });
    surface_->setTablesChanged([this] { lists_->redraw(); });
    // The recogniser's hand-over waits while a BET dialog is open.
    surface_->setDialogOpenListener([this](bool open) { reports_->setPeakDialogOpen(open); });
    reports_->setComparisonStore([this](const PeakRecord& peak) { surface_->openComparisonStore(peak); });
    // Test methods, on the open link: a run the program died in is offered now.
    methods_ = std::make_unique<MethodWiring>(*window_, *state_, prompts_, simulator != nullptr ? options.speed : 1.0);
    if (simulator != nullptr) {
        // The alarm the simulator menu armed goes off as its step starts.
        methods_->setStepStarted(
            [this, simulator](int32_t step) { sim::raiseAtStep(control_->stepAlarm(), *simulator, step); });
    }
    methods_->offerInterruptedRun();
    // Every report, database and export saved from here on registers in the archive.
    setSavedFileListener([this](SavedFileKind kind, const std::string& path) {
        const StatedUncertainties stated = readStatedUncertainties(state_->dataFolder);
        window_->showArchiveNotice(state_->archiving.saved(saveFactsFor(kind, path, *state_->report, stated)));
    });
    return true;
}

void DesktopProgram::finish() {
    if (finished_ || !window_) return;
    finished_ = true;
    setSavedFileListener({});
    window_->hide();
    shutDown(*state_, prompts_);
}

int runDesktopProgram(int argc, char** argv) {
    QElapsedTimer startUp;
    startUp.start();
    std::vector<std::string> args(argv + 1, argv + argc);
    // Asked from a terminal, perhaps over ssh: answered there, without a display.
    if (asksForHelp(args)) {
        std::fputs(programUsage().c_str(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    // The application has taken the desktop's locale; numbers in fields, pages and files keep
    // the point, and Qt's own number fields follow the Chinese interface.
    usePointDecimalsInProcess();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QApplication::setApplicationName(kProgramTitle);
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setFont(programFont(12));
    installChineseTranslations(application);
    QtPrompts prompts;

    LinkOptions options;
    std::vector<std::string> rest;
    std::string error;
    if (!parseLinkOptions(args, &options, &rest, &error)) {
        prompts.message("错误", error, PromptIcon::Error);
        return 2;
    }
    if (!rest.empty()) {
        const std::string usage = "不能识别的选项\"" + rest.front() + "\"\n\n" + linkOptionsUsage();
        std::fprintf(stderr, "%s", usage.c_str());
        prompts.message("错误", usage, PromptIcon::Error);
        return 2;
    }

    // The build tree keeps the working folder; an installed program the operator's data folder.
    const DataLocation place = prepareDataLocation(currentDataLocationInputs());
    if (!place.ok) {
        prompts.message("错误", place.message, PromptIcon::Error);
        return 2;
    }
    DesktopProgram program(place.folder, prompts);
    if (!program.start(options)) return 2;
    prompts.setOwner(program.window());
    FirstPaintClock firstPaint(startUp);
    if (qEnvironmentVariableIsSet("VESPIAN_STARTUP_TIME")) program.window()->viewArea()->installEventFilter(&firstPaint);
    const int code = QApplication::exec();
    program.finish();
    return code;
}

}  // namespace vespian
