#include "app/close_rules.h"

namespace vespian {

CloseStep closeStep(bool exitCommand, bool programmeRunning, bool unsavedTrace) {
    if (!exitCommand && programmeRunning) return CloseStep::RefuseProgrammeRunning;
    if (unsavedTrace) return CloseStep::AskToSaveTrace;
    return CloseStep::Close;
}

bool closesAfterQuestion(bool answeredYes, bool saved) { return !answeredYes || saved; }

}  // namespace vespian
