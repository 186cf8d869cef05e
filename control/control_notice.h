#pragma once
// A message or question that an instrument-control rule wants shown. The desktop layer passes it
// to the prompts as it is; the rules never show anything themselves.

#include <string>

#include "platform/prompts.h"

namespace vespian {

struct ControlNotice {
    std::string caption;  // empty: the box has no title
    std::string text;
    PromptIcon icon = PromptIcon::None;

    bool operator==(const ControlNotice&) const = default;
};

// Left-aligns `text` in a column `width` bytes wide, counting the bytes the text takes in GBK, as
// the program's list columns are counted ("%-10s" and the like). A text as wide as the column
// or wider is kept whole.
std::string padColumn(std::string_view text, int width);

}  // namespace vespian
