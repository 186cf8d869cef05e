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

}  // namespace
}  // namespace vespian
