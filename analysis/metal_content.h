#pragma once
// How much metal a sample holds, in one unit across the program: the metal's mass fraction, as
// the test report stores it (0.01 for a catalyst of 1 % metal). Every window that asks for it or
// shows it names it "质量分数" with the report's four decimals, and may add the per cent beside;
// a per-cent figure enters only through fromPercent, so no window takes 0.01 for 0.01 %.

#include <string>

namespace vespian {

inline constexpr char kMetalContentName[] = "质量分数";
inline constexpr char kMetalContentLabel[] = "质量分数:";

class MetalContent {
public:
    MetalContent() = default;
    static MetalContent fromFraction(double massFraction) { return MetalContent(massFraction); }
    static MetalContent fromPercent(double percent) { return MetalContent(percent / 100.0); }

    double massFraction() const { return massFraction_; }
    double percent() const { return massFraction_ * 100.0; }

private:
    explicit MetalContent(double massFraction) : massFraction_(massFraction) {}
    double massFraction_ = 0.0;
};

// "0.0100", as the report's field shows it; "—" without a value.
std::string metalContentText(MetalContent content);
// "1.00 %"; "—" without a value.
std::string metalContentPercentText(MetalContent content);

}  // namespace vespian
