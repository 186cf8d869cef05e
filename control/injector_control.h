#pragma once
// The injector dialog "进样器控制": four check boxes and the buttons "吸附" (adsorb) and "脱附"
// (desorb). A button sends one byte naming the ticked injectors and records them as the mask
// and each one's state, which the automatic desorption of the main window goes on from.

#include <array>
#include <cstdint>
#include <string_view>

#include "link/command_set.h"

namespace vespian {

inline constexpr int32_t kInjectors = 4;
inline constexpr std::string_view kInjectorTitle = "进样器控制";
inline constexpr std::array<std::string_view, kInjectors> kInjectorBoxCaptions = {"1号进样器", "2号进样器",
                                                                                 "3号进样器", "4号进样器"};
inline constexpr std::array<int32_t, kInjectors> kInjectorBoxIds = {1065, 1066, 1067, 1068};
inline constexpr int32_t kAdsorbButtonId = 1064;
inline constexpr int32_t kDesorbButtonId = 1026;

struct InjectorState {
    uint8_t mask = 0;                          // bit 0 injector 1 … bit 3 injector 4: the last command's
    std::array<int32_t, kInjectors> state{};   // 1 after an adsorb, 0 after a desorb
};

struct InjectorPress {
    Command command;
    bool adsorb = false;  // the adsorb button was used (the automatic cycle is armed)
    bool desorb = false;  // the desorb button was used (the cycle's count restarts, a peak ends)
    std::array<bool, kInjectors> adsorbed{};  // each injector's state afterwards
};

// "吸附" or "脱附" with no injector ticked would send a command that moves nothing and arm the
// automatic desorption for no position: the dialog says so and stays open instead.
inline constexpr std::string_view kNoInjectorTickedText = "请先选择进样器!";
bool anyInjectorTicked(const std::array<bool, kInjectors>& ticked);

// A button pressed with these boxes ticked. The dialog closes afterwards.
InjectorPress pressInjectors(InjectorState& injectors, InjectorOperation operation,
                             const std::array<bool, kInjectors>& ticked);
// The boxes ticked when the dialog opens: the injectors of the mask.
std::array<bool, kInjectors> tickedAtOpening(const InjectorState& injectors);
std::array<bool, kInjectors> adsorbedInjectors(const InjectorState& injectors);

}  // namespace vespian
