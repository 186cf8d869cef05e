#pragma once
// The pieces of JSON that the summaries of the command-line tool are made of. Output is always
// valid JSON: strings are escaped and bytes that are not UTF-8 (a file name on Linux may hold
// any bytes) become U+FFFD; numbers that JSON cannot hold (NaN, infinities) become null.

#include <string>
#include <string_view>

namespace vespian {

// "…" with the escapes JSON requires.
std::string jsonString(std::string_view utf8);
// The shortest decimal that reads back as the same double; null when not finite.
std::string jsonNumber(double value);
// The same for a float32 value, shortest for the float (0.1f gives 0.1, not 0.100000001).
std::string jsonNumber(float value);

}  // namespace vespian
