#pragma once
// First-order propagation of uncertainty (the GUM's law of propagation): a result y = f(x₁ … xₙ)
// of inputs with standard uncertainties u(xᵢ), taken as independent, has
//     u(y)² = Σ (∂f/∂xᵢ · u(xᵢ))².
// The sensitivities are taken from the model itself by central differences of one standard
// uncertainty each way, (f(xᵢ + uᵢ) − f(xᵢ − uᵢ)) / 2, so any calculation of the program — a
// least-squares line included — can be the model, and an input shared by several results
// (the loop volume, the sample weight) is carried through all of them alike. Every result also
// keeps its budget: what each input contributes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vespian {

inline constexpr double kCoverageFactor = 2.0;  // the expanded uncertainty, about 95 %

struct UncertainValue {
    double value = 0.0;
    double u = 0.0;     // standard uncertainty, k = 1
    bool ok = false;    // false: the result has no value (its model gave none)

    double expanded(double k = kCoverageFactor) const { return k * u; }
    double relative() const;  // u / |value|, 0 for a value of 0
};

struct InputQuantity {
    std::string_view name;  // for the budget, e.g. "定量管体积"
    double value = 0.0;
    double u = 0.0;         // 0: taken as exact
};

struct BudgetLine {
    std::string_view name;
    double contribution = 0.0;  // ∂f/∂x · u(x), with its sign
};

struct PropagatedResult {
    UncertainValue value;
    std::vector<BudgetLine> budget;  // one line per input with u > 0, in input order
};

// The model computes every output from the input values (in the order of `inputs`); an output
// that is not finite has no value. Returns one result per output.
using UncertaintyModel = std::function<void(std::span<const double> inputs, std::span<double> outputs)>;
std::vector<PropagatedResult> propagate(std::span<const InputQuantity> inputs, int32_t outputCount,
                                        const UncertaintyModel& model);

// "12.34 ± 0.05", or with the expanded uncertainty "12.34 ± 0.10 (k=2)"; "—" without a value.
std::string uncertainText(const UncertainValue& v, const char* pattern, bool expanded = false);

}  // namespace vespian
