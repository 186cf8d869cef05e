#pragma once
// The eight valve buttons of the gas-path panel "气路控制". Each toggles its valve on the
// analyser with a two-byte frame; the program never reads a valve back, so the captions show only
// what it last sent. The states live for the whole run and survive closing the panel.
//
// The valves of our gas path (the panel's picture draws them where their buttons sit):
//   0  处理气1: treatment gas 1 into the sample line (through channel 2)
//   1  处理气2: treatment gas 2 into the sample line (through channel 2)
//   2  脉冲气: pulse gas through the dosing loop, which fills it
//   3  定量环: the filled loop switched into the carrier: one pulse towards the sample
//   4  旁通: the carrier bypasses the sample tube; the detector sees the carrier line only
//   5  冷阱: the sample outlet through the cold trap, which holds back water
//   6  three-way after the sample tube: "─→" on to the detector, "└→" down to the vent
//   7  three-way after the detector: " ┌→" to the vent, "↑" up to the tail-gas port

#include <array>
#include <cstdint>
#include <string_view>

#include "link/command_set.h"

namespace vespian {

inline constexpr int32_t kValveCount = 8;
inline constexpr int32_t kFirstValveButtonId = 1091;  // valve k is button 1091 + k

inline constexpr std::string_view kGasPathTitle = "气路控制";
inline constexpr int32_t kGasPathWidth = 1000;
inline constexpr int32_t kGasPathHeight = 580;
inline constexpr int32_t kTimerReadouts = 6321;
inline constexpr int32_t kTimerReadoutsMs = 200;

enum class ValveRole : int32_t {
    TreatmentGas1, TreatmentGas2, PulseGas, DosingLoop, Bypass, ColdTrap, SampleOutlet, DetectorOutlet
};

inline constexpr std::array<std::string_view, kValveCount> kValveNames = {
    "处理气1", "处理气2", "脉冲气", "定量环", "旁通", "冷阱", "样品出口", "检测器出口"};

// The panel's other buttons.
inline constexpr int32_t kPanelFlow1Id = 1022;
inline constexpr int32_t kPanelFlow2Id = 1023;
inline constexpr int32_t kPanelProgrammeId = 1024;
inline constexpr int32_t kPanelGuideTpdId = 1025;
inline constexpr int32_t kPanelGuideTpoId = 1026;
inline constexpr int32_t kPanelGuideTprId = 1027;
inline constexpr int32_t kPanelGuideTitrationId = 1028;
inline constexpr std::string_view kPanelSetCaption = "设置";
inline constexpr std::array<std::string_view, 4> kPanelGuideCaptions = {
    "TPD操作流程", "TPO操作流程", "TPR操作流程", "氢氧滴定操作流程"};

struct ValveStates {
    std::array<int32_t, kValveCount> state{};  // 0 off (the start), 1 on
};

// The caption of valve k's button. `toggledSinceOpening` matters for valve 6 only: the panel's
// template shows " ─→" until the button is first pressed, then "─→" when off.
std::string_view valveCaption(int32_t k, bool on, bool toggledSinceOpening);

struct ValveToggle {
    Command frame;  // 3A 10+k (on) or 3A 20+k (off)
    bool on = false;
    std::string_view caption;
};
// Valve k's button pressed. Nothing changes for k outside 0 .. 7.
ValveToggle toggleValve(ValveStates& valves, int32_t k);

}  // namespace vespian
