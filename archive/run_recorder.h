#pragma once
// The recorder behind the run record: the program tells it every change as it happens (gas, flow,
// valve, injector, furnace programme, alarm, mark, method steps) with the wall-clock time, and a
// save asks it for the record of the trace being saved. It also keeps the state in force, so a
// record started by clearing the trace still says which gases flowed and which valves were open.
//
// Plain object of the UI thread; nothing here touches the instrument or the files.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "archive/report_prefill.h"
#include "archive/run_record.h"

namespace vespian {

inline constexpr int32_t kRecordedChannels = 4;

class RunRecorder {
public:
    // The program's name and version, the operator and the computer; the login and host name of
    // this computer unless set otherwise.
    RunRecorder();

    void setProgram(std::string nameAndVersion);
    void setOperator(std::string login);
    void setInstrument(InstrumentIdentity instrument);

    // The trace starts afresh (program start, cleared trace, a new measurement): the events so far
    // are dropped, and the gases, flows and valves in force are stated again at 0 s.
    void begin(WallMs at);

    void gasChanged(WallMs at, int32_t channel, std::string gas);
    void flowChanged(WallMs at, int32_t channel, double flowMlMin);
    void valveChanged(WallMs at, int32_t valve, bool on);
    void injector(WallMs at, int32_t injector, std::string operation);
    void furnaceStarted(WallMs at, double startC, std::vector<RecordedSegment> segments);
    void furnaceStopped(WallMs at, std::string reason);
    void alarm(WallMs at, int32_t code);
    void mark(WallMs at, std::string name);

    // A method run: its file's content, then its log lines as the runner writes them. A method
    // that is still running when the trace starts afresh stays in the new record with its whole
    // log (lines from before the start get negative times); an ended one goes with the old trace.
    void methodStarted(nlohmann::json method);
    void methodLog(WallMs at, int32_t step, std::string text, nlohmann::json values = nlohmann::json::object());
    void methodEnded();

    // The record of the trace so far, ending now; the save fills in the trace's name and hash.
    RunRecord record(WallMs endedAt, int32_t tracePoints) const;

    // What the report windows can be filled with from the run so far.
    ReportPrefill prefill() const;

private:
    void add(WallMs at, RunEventData data);

    struct TimedEvent {
        WallMs at = 0;
        RunEventData data;
    };
    struct TimedLogLine {
        WallMs at = 0;
        int32_t step = 0;
        std::string text;
        nlohmann::json values;
    };

    struct ChannelInForce {
        std::string gas;
        std::optional<double> flowMlMin;
    };

    RunRecord base_;
    WallMs startedMs_ = 0;
    std::vector<TimedEvent> events_;  // in time order
    std::array<ChannelInForce, kRecordedChannels> channels_{};
    std::vector<std::pair<int32_t, bool>> valves_;  // in force, in the order first seen
    std::optional<nlohmann::json> method_;
    std::vector<TimedLogLine> methodLog_;
    bool methodRunning_ = false;
};

}  // namespace vespian
