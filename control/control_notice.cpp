#include "control/control_notice.h"

#include "platform/gbk_text.h"

namespace vespian {

std::string padColumn(std::string_view text, int width) {
    std::string out(text);
    const size_t bytes = gbkLength(text);
    if (width > 0 && bytes < static_cast<size_t>(width)) out.append(static_cast<size_t>(width) - bytes, ' ');
    return out;
}

}  // namespace vespian
