#pragma once
// The journal of a method run: a small file that says which method runs (the whole method is
// kept in it, so a changed or deleted method file does not matter) and at which step it stands.
// It is rewritten whenever the run moves to another step and removed when the run ends in an
// orderly way. Found at the next start, it means the program died during the run: the operator
// can then have the analyser made safe, or go on from the next step that can be taken up again.

#include <cstdint>
#include <string>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "method/method_file.h"
#include "method/safe_state.h"

namespace vespian {

inline constexpr char kRunJournalFileName[] = "method-run.jnl";
inline constexpr int32_t kRunJournalFormat = 1;

class RunJournal {
public:
    explicit RunJournal(std::string path) : path_(std::move(path)) {}

    // The run stands at `step` (0-based). Written through a temporary file, so a crash leaves
    // the previous state or the new one, never half of either. False when it cannot be written.
    bool record(const MethodFile& method, const std::string& methodPath, int32_t step, int64_t startedWallS,
                int64_t nowWallS);
    // The run has ended and the analyser is where the run left it: the journal goes.
    bool finish();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string methodJson_;  // the method, serialised once per run
    const MethodFile* method_ = nullptr;
};

struct InterruptedRun {
    bool found = false;     // a journal is there
    bool readable = false;  // and it holds a method and a step
    std::string message;    // why not, when found but not readable
    MethodFile method;
    std::string methodPath;
    int32_t step = 0;            // 0-based step the run stood at
    int32_t nextSafeStep = 0;    // where it can go on; the step count when nothing is left
    int64_t startedWallS = 0;
    int64_t updatedWallS = 0;
};

InterruptedRun inspectRunJournal(const std::string& path);

// Where a run interrupted at `step` can be taken up again: a wait is waited for again in full;
// an interrupted recording or pulse series cannot be completed, so the run goes on after it,
// past the evaluation and saving that would have used it; any other step is followed by the
// next one.
int32_t nextSafeStep(const MethodFile& method, int32_t step);

// "End safely" after a crash: the channels are taken to carry what the run had set when it
// stopped, so a flammable gas is shut off first; the furnace gets the forced stop in any case.
// The frames are to be sent; the journal is then finished by the caller.
SafeState endInterruptedRunSafely(const InterruptedRun& run, ControlState& control, FlowChannels& flows);

// Whether a step is left to go on from.
bool canGoOn(const InterruptedRun& run);

// What the next start tells the operator: "上次运行的方法“…”在第 12 步（等待）中断。…".
std::string interruptedRunText(const InterruptedRun& run);
// The window's question: the text above and what 是, 否 and 取消 do (是 only when it can go on).
std::string interruptedRunQuestion(const InterruptedRun& run);
// Said once the analyser is safe: "仪器已进入安全状态：炉子停止，各通道切换为氩气".
std::string madeSafeText(const MethodSafety& safety);

}  // namespace vespian
