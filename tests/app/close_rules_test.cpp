#include "app/close_rules.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

TEST(CloseRules, NothingLeavesWhileTheProgrammeRunsAnUnsavedTraceIsAskedAbout) {
    EXPECT_EQ(closeStep(true, false), CloseStep::RefuseProgrammeRunning);
    EXPECT_EQ(closeStep(true, true), CloseStep::RefuseProgrammeRunning);
    EXPECT_EQ(closeStep(false, true), CloseStep::AskToSaveTrace);
    EXPECT_EQ(closeStep(false, false), CloseStep::Close);
}

TEST(CloseRules, OnlyAnExplicitNoLetsTheTraceGoAndOnlyWhenTheWindowCloses) {
    EXPECT_TRUE(leavesAfterQuestion(PromptAnswer::Yes, true));
    EXPECT_FALSE(leavesAfterQuestion(PromptAnswer::Yes, false)) << "the save was cancelled or failed";
    EXPECT_TRUE(leavesAfterQuestion(PromptAnswer::No, false));
    EXPECT_FALSE(leavesAfterQuestion(PromptAnswer::Cancel, false)) << "the close box and Escape call it off";
    EXPECT_TRUE(retiresJournal(PromptAnswer::No, true));
    EXPECT_FALSE(retiresJournal(PromptAnswer::No, false)) << "the database's question kept the window";
    EXPECT_FALSE(retiresJournal(PromptAnswer::Yes, true)) << "a saved trace's journal goes by its own rule";
    EXPECT_FALSE(retiresJournal(PromptAnswer::Cancel, true));
}

}  // namespace
}  // namespace vespian
