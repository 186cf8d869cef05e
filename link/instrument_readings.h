#pragma once
// The latest values the acquisition thread decoded. One writer (the acquisition thread), read by
// the UI thread's timers; each is an atomic so the reads never tear.

#include <atomic>
#include <cstdint>

namespace vespian {

enum AlarmCodes : int32_t {
    kAlarmNone = 0,
    kAlarmSensorFault = 1,       // temperature sensor fault
    kAlarmSensorNotInFurnace = 2,
    kAlarmGasLeak = 3,           // combustible-gas leak
};

struct InstrumentReadings {
    std::atomic<float> temperatureC{0.0f};    // current furnace temperature, ℃
    std::atomic<int32_t> alarmCode{kAlarmNone};
    std::atomic<float> flow1MlMin{0.0f};      // measured flow of channel 1
    std::atomic<float> flow2MlMin{0.0f};      // measured flow of channel 2
    std::atomic<int32_t> lastReadStatus{0};   // status of the last byte read, 0 = success
};

}  // namespace vespian
