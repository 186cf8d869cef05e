#pragma once
// The event list of the run: what the operator may need to look back on after the fact — each
// analyser alarm when it came and when it went, a furnace programme the program stopped, and the
// notices other parts of the program leave here (the method runner's steps, the archive's
// writes). Every entry carries the local wall-clock time, a kind and a text. The list keeps the
// newest kEventLogCapacity entries, so a sensor that flickers over a weekend cannot grow it
// without bound; how many were dropped is counted.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace vespian {

enum class EventKind : int32_t {
    Alarm,             // an alarm code appeared; the text is the message the operator was shown
    AlarmCleared,      // it went away
    ProgrammeStopped,  // the program stopped the furnace programme
    Method,            // the method runner's notices
    Archive,           // the archive's notices
    Notice,            // anything else worth keeping
};

struct EventEntry {
    int64_t wallSeconds = 0;  // seconds since the epoch
    EventKind kind = EventKind::Notice;
    std::string text;  // UTF-8
};

inline constexpr size_t kEventLogCapacity = 2000;

class EventLog {
public:
    explicit EventLog(size_t capacity = kEventLogCapacity);

    // Keeps the entry, dropping the oldest when the list is full, and tells the listener.
    void add(EventKind kind, std::string text, int64_t wallSeconds);
    // The same at the current wall-clock time.
    void add(EventKind kind, std::string text);

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // 0 is the oldest entry kept.
    const EventEntry& at(size_t index) const { return entries_.at(index); }
    const EventEntry& newest() const { return entries_.back(); }
    // Entries added in the run, the dropped ones included.
    uint64_t added() const { return added_; }
    uint64_t dropped() const { return added_ - entries_.size(); }

    // Called after every add, with the new entry (one listener: the window that shows the list).
    void setListener(std::function<void(const EventEntry&)> listener) { listener_ = std::move(listener); }

private:
    size_t capacity_;
    std::deque<EventEntry> entries_;
    uint64_t added_ = 0;
    std::function<void(const EventEntry&)> listener_;
};

// "报警", "报警解除", "程序升温", "方法", "归档", "提示".
std::string_view eventKindName(EventKind kind);
// Local time "2025-03-14 09:26:53".
std::string eventTimeText(int64_t wallSeconds);
// Seconds since the epoch, now.
int64_t wallClockSeconds();

}  // namespace vespian
