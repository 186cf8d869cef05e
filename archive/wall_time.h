#pragma once
// Wall-clock times of the run record and the archive: milliseconds since 1970-01-01 UTC inside,
// ISO 8601 text with the local offset in files ("2026-03-01T14:03:22.400+08:00"), which any
// language reads (Python's datetime.fromisoformat among them).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vespian {

using WallMs = int64_t;

WallMs wallNowMs();

// The time with the given offset from UTC (seconds east of Greenwich).
std::string isoTime(WallMs ms, int32_t offsetSeconds);
// The time in the computer's own time zone.
std::string isoLocalTime(WallMs ms);

// "YYYY-MM-DDTHH:MM:SS", optional fraction of 1 to 9 digits, then "Z" or "±HH:MM". Empty when the
// text is anything else or names a day that does not exist.
std::optional<WallMs> parseIsoTime(std::string_view text);

}  // namespace vespian
