#include "platform/printf_text.h"

#include <clocale>

namespace vespian {

namespace {

locale_t pointLocale() {
    // Made once and kept for the run; a failure leaves the thread's locale as it is.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

PointDecimals::PointDecimals() : previous_(uselocale(pointLocale())) {}

PointDecimals::~PointDecimals() { uselocale(previous_); }

void usePointDecimalsInProcess() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace vespian
