#pragma once
// The furnace temperature programme: up to ten segments (ramp at a rate to a target, then hold),
// sent to the analyser segment by segment as the operator enters them, then started and stopped
// with further frames. The analyser runs the programme itself and never reports its end, so the
// running flag means "started and not stopped since".
//
// `FurnaceProgram` is the process-wide record. `ProgrammeEditor` is the dialog "程序升温设定" as
// a state machine: it takes the operator's actions with the field texts and answers with what to
// show, ask and send. The forced stop after a sensor alarm is `forceProgrammeStop`.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/control_notice.h"
#include "link/command_set.h"

namespace vespian {

inline constexpr int32_t kSegmentSlots = 50;     // the table's size; the editor uses ten
inline constexpr int32_t kProgrammeSegments = 10;
inline constexpr int32_t kMarksClearedByWatch = 11;  // the link watch and forced stop clear marks 0 .. 10

inline constexpr int32_t kMinTargetC = 1;
inline constexpr int32_t kMaxTargetC = 1100;  // the field's label says 1200; the check is the rule
inline constexpr int32_t kMinRateCPerMin = 1;
inline constexpr int32_t kMaxRateCPerMin = 30;
inline constexpr int32_t kMinHoldMin = 1;
inline constexpr int32_t kMaxHoldMin = 300;

// The dialog's controls.
inline constexpr int32_t kIdSegmentCombo = 1031;
inline constexpr int32_t kIdTargetField = 1007;
inline constexpr int32_t kIdRateField = 1008;
inline constexpr int32_t kIdHoldField = 1009;
inline constexpr int32_t kIdAddSegment = 1024;
inline constexpr int32_t kIdStartStop = 1;
inline constexpr int32_t kIdExit = 2;
inline constexpr int32_t kIdProgrammeList = 1095;
inline constexpr int32_t kTimerLinkWatch = 9997;
inline constexpr int32_t kTimerLinkWatchMs = 1000;

inline constexpr std::string_view kProgrammeTitle = "程序升温设定";
inline constexpr std::string_view kStartCaption = "开始程序升温";
inline constexpr std::string_view kStopCaption = "停止程序升温";
inline constexpr std::string_view kAddCaption = "加入温控段";
inline constexpr std::string_view kTargetLabel = "℃(1-1200)";
inline constexpr std::array<std::string_view, kProgrammeSegments> kSegmentNames = {
    "第一段", "第二段", "第三段", "第四段", "第五段", "第六段", "第七段", "第八段", "第九段", "第十段"};

// One segment as the editor and the list see it.
struct ProgramSegment {
    int32_t targetC = 0;
    int32_t rateCPerMin = 0;
    int32_t holdMin = 0;
    bool defined = false;
};

// What the programme preview needs of a started programme: when and from where it started, and
// the segments it was started with (the table itself is emptied by a stop).
struct ProgrammeRunRecord {
    bool known = false;
    int64_t wallStartS = 0;        // seconds since the epoch, local clock of the operator
    float startC = 0.0f;           // furnace temperature when started
    int32_t startPoint = 0;        // trace point index when started
    std::array<ProgramSegment, kProgrammeSegments> segments{};
};

struct FurnaceProgram {
    int32_t targetC[kSegmentSlots] = {};
    int32_t rateCPerMin[kSegmentSlots] = {};
    int32_t holdMin[kSegmentSlots] = {};
    uint8_t defined[kSegmentSlots] = {};
    uint8_t running = 0;             // started by the operator and not stopped since
    uint8_t definedThisOpening = 0;  // a segment was added since the dialog opened
    uint8_t startedSinceLaunch = 0;  // never cleared while the program runs
    uint8_t addedSinceLaunch = 0;    // "加入温控段" pressed at least once, successful or not
    uint8_t stopAsked = 0;           // the stop question is shown: running is already cleared
    int32_t selected = 0;            // segment combo, 0 .. 9
    ProgrammeRunRecord run{};        // for the preview; not part of what the analyser knows

    ProgramSegment segment(int32_t index) const;  // index 0 .. 49
    void clearTable();                            // every value and mark of the 50 entries
};

// Whether the furnace programme runs: started and not stopped, or its stop question still
// unanswered (the furnace heats on until the operator confirms). The one answer that the close
// rules, the alarm poll and the programme dialog all read.
bool programmeRuns(const FurnaceProgram& program);

// The three lines of the segment list that the program shows: header, then the defined segments
// from segment 1 up to the first gap.
std::string programmeListHeader();
std::string programmeListLine(int32_t index, const ProgramSegment& segment);
std::vector<std::string> programmeList(const FurnaceProgram& program);

// The reading of a programme field as a whole number: the decimal value truncated toward zero
// ("99.9" → 99). Text too large for an int32 saturates rather than overflowing.
int32_t programmeFieldValue(std::string_view text);

// Where the dialog opens (650 × 550) on a screen of the given size.
struct DialogPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};
DialogPlacement programmeDialogPlacement(int32_t screenWidth, int32_t screenHeight);

// What the dialog shows.
struct ProgrammeScreen {
    std::array<std::string, 3> fields;  // target, rate, hold
    bool fieldsEnabled = true;          // the three fields and "加入温控段"
    bool startEnabled = false;
    std::string startCaption{kStartCaption};
    int32_t selected = 0;
    std::vector<std::string> list;
};

// What one action asks the dialog to do, in this order: show the messages, send the frames, ask
// the question (then pass the answer back), close.
struct ProgrammeStep {
    std::vector<ControlNotice> messages;
    std::vector<Command> frames;
    std::optional<ControlNotice> question;  // OK/Cancel
    bool close = false;
};

// The moment a programme is started, for the preview's record.
struct StartMoment {
    int64_t wallS = 0;
    float furnaceC = 0.0f;
    int32_t pointIndex = 0;
};

class ProgrammeEditor {
public:
    explicit ProgrammeEditor(FurnaceProgram& program) : program_(program) {}

    // The dialog opens: segment names filled, segment 1 selected, fields and buttons set. The
    // link watch (timer 9997) starts.
    void open();
    const ProgrammeScreen& screen() const { return screen_; }

    // The operator typed in a field (0 target, 1 rate, 2 hold).
    void editField(int field, std::string text);
    // The combo selection changed: the fields show that segment's values.
    void selectSegment(int32_t index);
    // "加入温控段".
    ProgrammeStep addSegment();
    // The Start/Stop button. Starting sends the start frame; stopping asks first, and the answer
    // goes to answerStop.
    ProgrammeStep pressStartStop(const StartMoment& now);
    ProgrammeStep answerStop(bool ok);
    // Leaving the dialog (Exit, Escape, the close box). May ask; the answer goes to answerExit.
    ProgrammeStep exit();
    ProgrammeStep answerExit(bool ok);
    // One tick of the link watch. True when the timer is to run again.
    bool linkWatchTick(bool linkUp);
    // The main window stopped the programme after a sensor alarm while this dialog is open.
    void showForcedStop();

private:
    void rebuildList();
    void showHeaderOnly();

    FurnaceProgram& program_;
    ProgrammeScreen screen_;
    bool askingStop_ = false;
    bool askingExit_ = false;
};

// The forced stop (main window timer 9998). Only a running programme is stopped: with the
// dialog open its marks 0 .. 10 are cleared first (values kept), then running is cleared and
// the returned frame (3E 00 00 00 00 00 00 31) is to be sent. Nothing happens, and nothing is
// returned, when the programme is not running. A programme whose stop question is still open
// counts as running: the furnace still heats, and a Cancel afterwards does not start it again.
std::optional<Command> forceProgrammeStop(FurnaceProgram& program, bool dialogOpen);

}  // namespace vespian
