#pragma once
// The program's side of the archive and the run record: the recorder that follows every frame
// sent to the analyser, the archive opened at start in the data folder (what waits from an earlier
// run is archived then), every save of a trace, report, record database, export or evaluation
// registered with its audit row, and the other events the audit trail keeps (opens, trace edits,
// settings, deletions). A trace's save also writes its run record beside it.
//
// The archive never stops a save: a failure is said once, in the event list and as the text the
// window puts in its status bar, and then kept quiet until the archive works again, so that a
// full disk does not answer every save with the same notice.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/sent_frames.h"
#include "archive/archive.h"
#include "archive/archive_opening.h"
#include "archive/run_record.h"
#include "archive/run_recorder.h"

namespace vespian {

struct TestReportHeader;

// The laboratory's connection string, one line "laboratory=…" of this file in the working
// folder; without the file or the line, the archive is this PC's alone.
inline constexpr char kArchiveSettingsFileName[] = "Archive.ini";
std::string readLaboratoryConnection(const std::string& path);
bool writeLaboratoryConnection(const std::string& path, const std::string& connection);

// What the archive had to say: empty when nothing (it worked, or its failure was said before).
struct ArchiveNotice {
    std::string statusText;
    bool said() const { return !statusText.empty(); }
};

// What a save knows beyond its file.
struct SaveFacts {
    SaveKind kind = SaveKind::Report;
    std::string path;  // the saved file; empty for an evaluation without one
    std::string sample;
    double sampleWeight = kUnknown;
    std::string weightUnit;
    std::string method;
    std::string traceSha256;  // the trace it belongs to; empty: the trace shown now
    bool ofTraceShown = true;  // false: of saved runs (several reports), of no one trace
    std::vector<ResultValue> results;
    nlohmann::json parameters = nlohmann::json::object();
};

struct TraceArchiving {
    RunRecordWrite record;
    ArchiveNotice notice;
};

class RunArchiving {
public:
    // Events go to `events` (the program's event list).
    explicit RunArchiving(EventLog& events);

    // Opens the archive; the notice when it could not be opened or the laboratory's server does
    // not answer yet. Until then every registration is kept waiting in memory's stead: none.
    ArchiveNotice open(const ArchiveSettings& settings);
    Archive* archive() const { return archive_.get(); }
    // The last registration or event failed (and was said).
    bool failing() const { return failing_; }

    RunRecorder& recorder() { return recorder_; }
    // A frame just sent to the analyser.
    void frameSent(const Command& frame, const FlowChannels& flows, double furnaceC);

    // A trace saved at `path` with `points` points: its run record beside it (the loaded trace's
    // own record when it came from a file and nothing was recorded since, else the live run's),
    // then its registration.
    TraceArchiving traceSaved(const std::string& path, int32_t points);
    // Any other save: hashed, registered with the run's operator, instrument and times.
    ArchiveNotice saved(SaveFacts facts);
    // One audit event (kOpen, kEdit, kSetting, kDelete, kEvaluate of audit_entry.h).
    ArchiveNotice audit(const std::string& action, const std::string& subject, const std::string& oldValue = {},
                        const std::string& newValue = {}, const std::string& details = {});

    // A trace loaded from `path`: its run record (when it has one), kept for its next save and
    // the report's prefill, and the open in the audit trail.
    ArchiveNotice traceLoaded(const std::string& path);
    // The trace starts afresh (cleared, a new measurement): the live run's record starts now.
    void traceStartsAfresh();
    // The hash of the trace shown, as last loaded or saved; empty before.
    const std::string& traceSha256() const { return traceSha256_; }
    // The file of the trace shown, as last loaded or saved; empty before.
    const std::string& tracePath() const { return tracePath_; }
    // The loaded trace's run record; none when the trace shown is the live one or had none.
    const std::optional<RunRecord>& loadedRecord() const { return loadedRecord_; }

private:
    ArchiveNotice after(const ArchiveOutcome& outcome);
    Registration registrationFor(SaveKind kind, const std::string& path, const std::string& sha256) const;

    EventLog& events_;
    std::unique_ptr<Archive> archive_;
    RunRecorder recorder_;
    SentFrames frames_;
    std::optional<RunRecord> loadedRecord_;
    std::string traceSha256_;
    std::string tracePath_;
    bool failing_ = false;  // the last failure was said; quiet until one works
};

// The heating rate and upper temperature of a run record into the test report's fields; false
// when it says neither.
bool prefillReportHeader(const RunRecord& record, TestReportHeader& header);

}  // namespace vespian
