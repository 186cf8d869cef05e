#include "analysis/metal_content.h"

#include "platform/printf_text.h"

namespace vespian {

std::string metalContentText(MetalContent content) { return numberText("%.4f", content.massFraction()); }

std::string metalContentPercentText(MetalContent content) {
    const std::string percent = numberText("%.2f", content.percent());
    return percent == kNoValueText ? percent : percent + " %";
}

}  // namespace vespian
