#pragma once
// Everything the program keeps for the whole run, in one place: the settings files' contents,
// the trace and the test report, the instrument link and its readings, the trace view, the
// measurement state and the instrument-control state. The desktop layer shows it and asks the
// operator; the rules that change it live in the core files named by each member.

#include <memory>
#include <string>
#include <vector>

#include "app/auto_desorption.h"
#include "app/event_log.h"
#include "trace/init_data.h"
#include "app/link_options.h"
#include "app/measurement_state.h"
#include "app/run_archiving.h"
#include "app/trace_tools.h"
#include "app/zevid_file.h"
#include "control/control_state.h"
#include "control/gas_table.h"
#include "files/record_database.h"
#include "files/report_letterhead.h"
#include "files/test_report.h"
#include "files/test_report_file.h"  // kDefaultReportName
#include "link/instrument_link.h"
#include "link/instrument_readings.h"
#include "link/link_watchdog.h"
#include "trace/chromatogram.h"
#include "trace/peak_detector.h"
#include "trace/peak_hand_over.h"
#include "trace/peak_table.h"
#include "trace/quant_peak.h"
#include "trace/trace_marks.h"
#include "trace/trace_view.h"

namespace vespian {

class Prompts;

inline constexpr char kProgramTitle[] = "Vespian2002 v2.9.10.12";
inline constexpr char kWindowClassName[] = "TRV-6400";
inline constexpr char kDataFolderName[] = "SAVE";

struct ProgramState {
    // The settings files live in the working folder; the data folder "SAVE" below it.
    explicit ProgramState(std::string workingFolder = ".");

    std::string workingFolder;
    std::string dataFolder;      // workingFolder/SAVE/
    std::string databaseTitle;   // empty until a database is opened or created
    std::string databasePath;    // dataFolder + databaseTitle
    std::string reportPath;      // dataFolder + "新文件.care" until a report dialog sets it

    Settings settings;
    ZEvidRecord zevid{};
    std::unique_ptr<TestReport> report;
    float quantVolumeMl = 0.0f;  // the working volume of the quantitative peak
    ReportLetterhead letterhead;  // printed on the reports; ReportLetterhead.ini

    std::unique_ptr<Chromatogram> chromatogram;

    // Peaks: the table the recogniser and the manual pick fill, the recogniser, the rules of its
    // hand-over to the windows, and the quantitative peak the amounts are measured against.
    std::unique_ptr<PeakTable> peaks;
    PeakDetector peakDetector;
    PeakHandOverRules peakRules;
    std::unique_ptr<QuantPeak> quantPeak;

    // The record database: standards, comparison samples and surface-area reports.
    std::unique_ptr<RecordDatabase> database;
    InstrumentReadings readings;
    DeviceSources sources;
    std::unique_ptr<InstrumentLink> link;
    LinkWatchdog watchdog;
    int32_t linkStatus = 0;  // 1 when the acquisition thread's last read succeeded

    TraceView view;
    // The marks a method run set on the trace in view; they go with the trace (cleared, opened).
    std::vector<TraceMark> traceMarks;
    TraceTools tools;
    MeasurementState measurement;
    AutoDesorption autoDesorption;
    FlowChannels flows{};
    // The furnace programme, the valves and the injectors: the instrument control works on
    // these, and the programme's running flag is read from here by everyone.
    ControlState control{};
    bool programmeRunning() const { return programmeRuns(control.programme); }
    // The run's alarms and notices, for the operator's event list.
    EventLog events;
    // The run record of the trace and the laboratory archive every save registers in.
    RunArchiving archiving{events};

    int32_t listKind = 1;      // comparison samples
    int32_t betDetail = 0;
    int32_t selectedRow = -1;

    std::string settingsPath(const char* fileName) const;
};

// The instrument side: which device sources take part, then the link over them (not opened).
// False with a message when the sources cannot be set up (a bad replay file, say).
bool connectDeviceSources(ProgramState& state, const LinkOptions& options, std::string* error);

// Start-up before any window: InitData.Set (the warning "无法正确的设置参数!!!" when it cannot be
// read), the run-time values, ZEvid.ini with the list columns reset, NewData.ini seeding the
// test report, the database and report paths, and the trace view from the settings.
void loadStartupSettings(ProgramState& state, Prompts& prompts);

// The laboratory archive in the data folder (the laboratory's server as well when the working
// folder's Archive.ini names one), with what waits from an earlier run archived now; the notice
// when it could not be opened.
ArchiveNotice openProgramArchive(ProgramState& state);

// The main window's creation: the instrument-control state reset, the link opened and, when
// that worked, acquisition started. True when the link streams.
bool openInstrument(ProgramState& state);

// Shutdown after the window is gone: the link closed (thread ended, 'H', device closed), then
// InitData.Set and ZEvid.ini written, each failure reported with its message.
void shutDown(ProgramState& state, Prompts& prompts);

// The trace view's persisted values to and from the settings.
void applyViewSettings(const Settings& settings, TraceView& view);
void storeViewSettings(const TraceView& view, Settings& settings);

}  // namespace vespian
