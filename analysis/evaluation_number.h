#pragma once
// Numbers the operator types into the evaluation windows. Unlike the report fields, which keep
// whatever leading digits they find, these are read strictly: an amount computed from "1O0" as
// 1 would be a wrong result nobody sees, so such a text is refused with a message naming the field.

#include <optional>
#include <string>
#include <string_view>

namespace vespian {

// The whole text (spaces around it allowed) as a finite decimal number, "1e3" and a leading
// sign included; no value otherwise.
std::optional<double> evaluationNumber(std::string_view text);

// "请在“<field>”中输入一个数值。"
std::string evaluationNumberMessage(std::string_view field);

}  // namespace vespian
