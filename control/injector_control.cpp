#include "control/injector_control.h"

#include <algorithm>

namespace vespian {

bool anyInjectorTicked(const std::array<bool, kInjectors>& ticked) {
    return std::any_of(ticked.begin(), ticked.end(), [](bool t) { return t; });
}

InjectorPress pressInjectors(InjectorState& injectors, InjectorOperation operation,
                             const std::array<bool, kInjectors>& ticked) {
    InjectorPress press;
    InjectorPositions positions;
    uint8_t mask = 0;
    for (int32_t i = 0; i < kInjectors; ++i) {
        positions.position[i] = ticked[static_cast<size_t>(i)];
        if (!ticked[static_cast<size_t>(i)]) continue;
        mask = static_cast<uint8_t>(mask | (1u << i));
        injectors.state[static_cast<size_t>(i)] = operation == InjectorOperation::Adsorb ? 1 : 0;
    }
    injectors.mask = mask;
    press.command = InjectorCommand(operation, positions);
    press.adsorb = operation == InjectorOperation::Adsorb;
    press.desorb = operation == InjectorOperation::Desorb;
    press.adsorbed = adsorbedInjectors(injectors);
    return press;
}

std::array<bool, kInjectors> tickedAtOpening(const InjectorState& injectors) {
    std::array<bool, kInjectors> ticked{};
    for (int32_t i = 0; i < kInjectors; ++i) ticked[static_cast<size_t>(i)] = ((injectors.mask >> i) & 1u) != 0;
    return ticked;
}

std::array<bool, kInjectors> adsorbedInjectors(const InjectorState& injectors) {
    std::array<bool, kInjectors> adsorbed{};
    for (int32_t i = 0; i < kInjectors; ++i) adsorbed[static_cast<size_t>(i)] = injectors.state[static_cast<size_t>(i)] != 0;
    return adsorbed;
}

}  // namespace vespian
