#include "app/event_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vespian {
namespace {

TEST(EventLog, KeepsTheNewestEntriesInOrderAndCountsWhatItDropped) {
    EventLog log(3);
    std::vector<std::string> heard;
    log.setListener([&](const EventEntry& e) { heard.push_back(e.text); });
    for (int i = 1; i <= 5; ++i) log.add(i % 2 ? EventKind::Alarm : EventKind::AlarmCleared, "e" + std::to_string(i), 100 + i);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.at(0).text, "e3");
    EXPECT_EQ(log.at(0).wallSeconds, 103);
    EXPECT_EQ(log.at(0).kind, EventKind::Alarm);
    EXPECT_EQ(log.newest().text, "e5");
    EXPECT_EQ(log.added(), 5u);
    EXPECT_EQ(log.dropped(), 2u);
    EXPECT_EQ(heard, (std::vector<std::string>{"e1", "e2", "e3", "e4", "e5"}));
}

TEST(EventLog, TimesAreLocalClockTimesAndKindsHaveNames) {
    // 12:00 UTC on 2024-01-15 is on that day in every time zone.
    const std::string text = eventTimeText(1705320000);
    ASSERT_EQ(text.size(), 19u) << text;
    EXPECT_EQ(text.substr(0, 8), "2024-01-");
    EXPECT_EQ(text[10], ' ');
    EXPECT_EQ(text[13], ':');
    EXPECT_EQ(eventKindName(EventKind::Alarm), "报警");
    EXPECT_EQ(eventKindName(EventKind::AlarmCleared), "报警解除");
    EXPECT_EQ(eventKindName(EventKind::Method), "方法");
    EXPECT_EQ(eventKindName(EventKind::Archive), "归档");
}

}  // namespace
}  // namespace vespian
