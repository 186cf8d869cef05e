#include "app/event_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace vespian {

EventLog::EventLog(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {}

void EventLog::add(EventKind kind, std::string text, int64_t wallSeconds) {
    if (entries_.size() == capacity_) entries_.pop_front();
    entries_.push_back({wallSeconds, kind, std::move(text)});
    ++added_;
    if (listener_) listener_(entries_.back());
}

void EventLog::add(EventKind kind, std::string text) { add(kind, std::move(text), wallClockSeconds()); }

std::string_view eventKindName(EventKind kind) {
    switch (kind) {
    case EventKind::Alarm: return "报警";
    case EventKind::AlarmCleared: return "报警解除";
    case EventKind::ProgrammeStopped: return "程序升温";
    case EventKind::Method: return "方法";
    case EventKind::Archive: return "归档";
    case EventKind::Notice: break;
    }
    return "提示";
}

std::string eventTimeText(int64_t wallSeconds) {
    const std::time_t t = static_cast<std::time_t>(wallSeconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

int64_t wallClockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace vespian
