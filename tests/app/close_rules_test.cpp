#include "app/close_rules.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

TEST(CloseRules, TheCloseButtonWaitsForTheProgrammeTheExitCommandDoesNot) {
    EXPECT_EQ(closeStep(false, true, false), CloseStep::RefuseProgrammeRunning);
    EXPECT_EQ(closeStep(false, true, true), CloseStep::RefuseProgrammeRunning);
    EXPECT_EQ(closeStep(true, true, false), CloseStep::Close);
    EXPECT_EQ(closeStep(false, false, false), CloseStep::Close);
}

TEST(CloseRules, AnUnsavedTraceIsAskedAboutFirst) {
    EXPECT_EQ(closeStep(false, false, true), CloseStep::AskToSaveTrace);
    EXPECT_EQ(closeStep(true, true, true), CloseStep::AskToSaveTrace);
    EXPECT_TRUE(closesAfterQuestion(false, false));  // No: let it go
    EXPECT_TRUE(closesAfterQuestion(true, true));    // Yes, and saved
    EXPECT_FALSE(closesAfterQuestion(true, false));  // Yes, but the save was cancelled or failed
}

}  // namespace
}  // namespace vespian
