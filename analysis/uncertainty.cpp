#include "analysis/uncertainty.h"

#include <cmath>

#include "platform/printf_text.h"

namespace vespian {

double UncertainValue::relative() const { return value != 0.0 ? u / std::abs(value) : 0.0; }

std::vector<PropagatedResult> propagate(std::span<const InputQuantity> inputs, int32_t outputCount,
                                        const UncertaintyModel& model) {
    const auto outputs = static_cast<size_t>(std::max(outputCount, 0));
    std::vector<PropagatedResult> results(outputs);
    std::vector<double> x(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) x[i] = inputs[i].value;
    std::vector<double> centre(outputs), up(outputs), down(outputs);
    model(x, centre);
    std::vector<double> variance(outputs, 0.0);
    for (size_t o = 0; o < outputs; ++o) {
        results[o].value.value = centre[o];
        results[o].value.ok = std::isfinite(centre[o]);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        const double u = inputs[i].u;
        if (!(u > 0.0) || !std::isfinite(u)) continue;
        x[i] = inputs[i].value + u;
        model(x, up);
        x[i] = inputs[i].value - u;
        model(x, down);
        x[i] = inputs[i].value;
        for (size_t o = 0; o < outputs; ++o) {
            if (!results[o].value.ok) continue;
            // One side may leave the model's domain (a weight of −u): the other side then serves.
            double c = 0.0;
            if (std::isfinite(up[o]) && std::isfinite(down[o])) {
                c = 0.5 * (up[o] - down[o]);
            } else if (std::isfinite(up[o])) {
                c = up[o] - centre[o];
            } else if (std::isfinite(down[o])) {
                c = centre[o] - down[o];
            } else {
                results[o].value.ok = false;
                continue;
            }
            variance[o] += c * c;
            results[o].budget.push_back({inputs[i].name, c});
        }
    }
    for (size_t o = 0; o < outputs; ++o) {
        if (results[o].value.ok) {
            results[o].value.u = std::sqrt(variance[o]);
        } else {
            results[o].value = {};
            results[o].budget.clear();
        }
    }
    return results;
}

std::string uncertainText(const UncertainValue& v, const char* pattern, bool expanded) {
    if (!v.ok) return std::string(kNoValueText);
    std::string text = numberText(pattern, v.value) + " ± " + numberText(pattern, expanded ? v.expanded() : v.u);
    if (expanded) text += printfText(" (k=%g)", kCoverageFactor);
    return text;
}

}  // namespace vespian
