#include "app/program_state.h"

#include <filesystem>

#include "link/capturing_driver.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr char kSettingsUnreadable[] = "无法正确的设置参数!!!";
constexpr char kSettingsUnsaved[] = "无法保存此次设置的参数!!!";

}  // namespace

ProgramState::ProgramState(std::string folder)
    : workingFolder(std::move(folder)),
      report(std::make_unique<TestReport>()),
      chromatogram(std::make_unique<Chromatogram>()),
      peaks(std::make_unique<PeakTable>()),
      quantPeak(std::make_unique<QuantPeak>()),
      database(std::make_unique<RecordDatabase>()) {
    dataFolder = (std::filesystem::path(workingFolder) / kDataFolderName).string() + "/";
    databasePath = dataFolder;
    reportPath = dataFolder + kDefaultReportName;
}

std::string ProgramState::settingsPath(const char* fileName) const {
    return (std::filesystem::path(workingFolder) / fileName).string();
}

bool connectDeviceSources(ProgramState& state, const LinkOptions& options, std::string* error) {
    if (state.link) state.link->close();
    state.link.reset();
    if (!makeDeviceSources(options, &state.sources, error)) return false;
    state.link = std::make_unique<InstrumentLink>(*state.sources.driver, *state.chromatogram, state.readings);
    // Every frame sent to the analyser is a line of the run record.
    state.link->setSendObserver([&state](const Command& frame) {
        const int32_t n = state.chromatogram->pointCount();
        const double furnaceC = n > 0 ? state.chromatogram->temperatureC()[n - 1] : 0.0;
        state.archiving.frameSent(frame, state.flows, furnaceC);
    });
    state.archiving.recorder().setInstrument(
        {kAnalyserDescription, {}, options.source == LinkOptions::Source::Simulator});
    return true;
}

ArchiveNotice openProgramArchive(ProgramState& state) {
    state.archiving.recorder().setProgram(kProgramTitle);
    ArchiveSettings settings;
    settings.dataFolder = state.dataFolder;
    settings.laboratoryConnection = readLaboratoryConnection(state.settingsPath(kArchiveSettingsFileName));
    return state.archiving.open(settings);
}

void applyViewSettings(const Settings& settings, TraceView& view) {
    view.timeRangeS = settings.timeRangeS;
    view.voltRangeUv = settings.voltRangeUv;
    view.backgroundColour = settings.backgroundColour;
    view.traceColour = settings.traceColour;
    view.xZoom = settings.xZoom;
    view.yZoom = settings.yZoom;
    view.vScroll = settings.vScroll;
    view.hScroll = 0;
}

void storeViewSettings(const TraceView& view, Settings& settings) {
    settings.timeRangeS = view.timeRangeS;
    settings.voltRangeUv = view.voltRangeUv;
    settings.backgroundColour = view.backgroundColour;
    settings.traceColour = view.traceColour;
    settings.xZoom = view.xZoom;
    settings.yZoom = view.yZoom;
    settings.vScroll = view.vScroll;
}

void loadStartupSettings(ProgramState& state, Prompts& prompts) {
    state.databasePath = state.dataFolder + state.databaseTitle;
    if (!readInitData(state.settingsPath(kInitDataFileName), state.settings)) {
        prompts.message("警告", kSettingsUnreadable, PromptIcon::Warning);
    }

    // Run-time values: they override what the file holds.
    state.settings.measureMode = 0;
    state.measurement = MeasurementState(state.settings.analysisMethod == 1 ? AnalysisMethod::Bet
                                                                           : AnalysisMethod::Comparison);
    state.tools = TraceTools{};
    state.view = TraceView{};
    state.view.autoScroll = 1;
    state.listKind = 1;
    state.betDetail = 0;
    state.selectedRow = -1;
    state.autoDesorption = AutoDesorption{};
    state.chromatogram->resetCounters();

    readZEvid(state.settingsPath(kZEvidFileName), state.zevid);
    resetListColumns(state.zevid);
    state.report->seedFromNewData(state.settingsPath(kNewDataFileName), &state.quantVolumeMl);
    state.reportPath = state.dataFolder + kDefaultReportName;
    // A letterhead file that cannot be read prints without one; the settings page can rewrite it.
    readLetterhead(state.settingsPath(kLetterheadFileName), state.letterhead);
    applyViewSettings(state.settings, state.view);
}

bool openInstrument(ProgramState& state) {
    resetFlowChannels(&state.flows);
    state.readings.alarmCode.store(kAlarmNone);
    resetControlState(&state.control);
    if (!state.link || !state.link->open()) return false;
    state.link->start();
    return true;
}

void shutDown(ProgramState& state, Prompts& prompts) {
    if (state.link) state.link->close();
    if (state.sources.capture != nullptr) state.sources.capture->close();

    storeViewSettings(state.view, state.settings);
    state.settings.analysisMethod = static_cast<int32_t>(state.measurement.analysisMethod());
    state.settings.measureMode = static_cast<int32_t>(state.measurement.measureMode());
    if (!writeInitData(state.settingsPath(kInitDataFileName), state.settings)) {
        prompts.message("警告", kSettingsUnsaved, PromptIcon::Warning);
    }
    if (!writeZEvid(state.settingsPath(kZEvidFileName), state.zevid)) {
        prompts.message("错误", kZEvidSaveFailedText, PromptIcon::Error);
    }
}

}  // namespace vespian
