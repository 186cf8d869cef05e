#pragma once
// What leaving the program does, by the close box or by "退出": neither leaves while the furnace
// programme runs, because nothing would watch its alarms then; and a trace that no file holds
// is asked about first — saved, let go, or the exit called off — so that nothing recorded is
// lost by a click. The recovery journal goes only when the operator let the trace go and the
// program really ends.

#include <string_view>

#include "platform/prompts.h"

namespace vespian {

inline constexpr std::string_view kProgrammeRunningCaption = "警告";
inline constexpr std::string_view kProgrammeRunningText = "程序升温正在运行中，请将程序升温停止后，再关闭软件!!";
inline constexpr std::string_view kUnsavedTraceCaption = "提示";
inline constexpr std::string_view kUnsavedTraceQuestion = "谱图尚未保存，退出前是否保存谱图？";

enum class CloseStep {
    RefuseProgrammeRunning,  // show the warning, keep running
    AskToSaveTrace,          // Yes: save; No: let it go; Cancel (close box, Escape): stay
    Close,
};

CloseStep closeStep(bool programmeRunning, bool unsavedTrace);

// After the unsaved-trace question: whether leaving goes on. `saved` tells whether the save that
// Yes asked for went through.
bool leavesAfterQuestion(PromptAnswer answer, bool saved);

// Whether the journal is to be removed: only a trace the operator let go, once the window closes
// (a later step, the database's own question, may still keep it open).
bool retiresJournal(PromptAnswer answer, bool windowCloses);

}  // namespace vespian
