#pragma once
// The gas-path cleaning "气路清洗设定": a one-minute flush of flow channel 1 or 2, started and
// stopped with two-byte frames and counted down on screen in whole seconds. The dialog's timer
// (7025) drives it: the first tick 100 ms after the start, then one a second; the tick after the
// count reaches 0 sends the stop frame for the channel selected at that moment.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/command_set.h"

namespace vespian {

inline constexpr std::string_view kCleaningTitle = "气路清洗设定";
inline constexpr std::array<std::string_view, 2> kCleaningChannelNames = {"1#通道", "2#通道"};
inline constexpr std::string_view kCleaningRemainingLabel = "清洗完成剩余时间";
inline constexpr std::string_view kCleaningNotice = "清洗气路时请将气体换成氮气或空气等无腐蚀性气体！";
inline constexpr std::string_view kCleaningStartCaption = "开始清洗";
inline constexpr std::string_view kCleaningStopCaption = "关闭清洗";
inline constexpr std::string_view kCleaningExitCaption = "退出";
inline constexpr int32_t kTimerCleaning = 7025;
inline constexpr int32_t kCleaningSeconds = 60;
inline constexpr int32_t kCleaningFirstTickMs = 100;
inline constexpr int32_t kCleaningTickMs = 1000;

struct CleaningStep {
    std::optional<Command> frame;
    std::string display = "00";  // the two digits drawn
    bool startEnabled = true;    // "开始清洗" and "退出"
    int32_t nextTickMs = 0;      // when the timer is to fire next; 0: it stays stopped
};

class CleaningCountdown {
public:
    // "开始清洗" with the list's selection (0 or 1; -1 when none, which cleans channel 1):
    // the start frame, and "开始清洗" and "退出" disabled at once.
    CleaningStep start(int32_t selectedChannel);
    // A tick of timer 7025, with the list's selection at this moment.
    CleaningStep tick(int32_t selectedChannel);
    // "关闭清洗", Escape or the close box: the next tick ends the cleaning. Nothing when idle.
    void stop() { counter_ = 0; }

    bool counting() const { return counting_; }
    int32_t counter() const { return counter_; }
    const CleaningStep& shown() const { return shown_; }

private:
    int32_t counter_ = 0;
    bool counting_ = false;  // a tick is due
    CleaningStep shown_{};
};

// "60", "59", … "10", "09", … "01", "00".
std::string cleaningDigits(int32_t seconds);

}  // namespace vespian
