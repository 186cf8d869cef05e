#pragma once
// The ".txt" rule shared by the text exports of a trace stretch and of the sample list.

#include <string>

namespace vespian {

inline constexpr char kTextFileExtension[] = ".txt";

// Appends ".txt" unless the name ends in exactly ".txt" (case-sensitive).
std::string withTextExtension(const std::string& name);

}  // namespace vespian
