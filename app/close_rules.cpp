#include "app/close_rules.h"

namespace vespian {

CloseStep closeStep(bool programmeRunning, bool unsavedTrace) {
    if (programmeRunning) return CloseStep::RefuseProgrammeRunning;
    if (unsavedTrace) return CloseStep::AskToSaveTrace;
    return CloseStep::Close;
}

bool leavesAfterQuestion(PromptAnswer answer, bool saved) {
    switch (answer) {
    case PromptAnswer::Yes: return saved;
    case PromptAnswer::No: return true;
    case PromptAnswer::Cancel: break;
    }
    return false;
}

bool retiresJournal(PromptAnswer answer, bool windowCloses) { return answer == PromptAnswer::No && windowCloses; }

}  // namespace vespian
