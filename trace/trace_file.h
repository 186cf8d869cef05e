#pragma once
// The trace file (.lne): int32 N, then N float32 signal values, then N float32 temperatures,
// little-endian, no header. Total size 4 + 8 × N bytes.

#include <cstdint>
#include <string>

namespace vespian {

class Chromatogram;

inline constexpr char kTraceFileExtension[] = ".lne";

// What went wrong, for callers that answer in more than one language or by exit code.
enum class TraceFileProblem { None, CannotCreate, CannotOpen, NotATraceFile, ReadFailed };

struct TraceFileResult {
    bool ok = false;
    std::string message;  // for the operator, in the program's language (UTF-8); empty when ok
    TraceFileProblem problem = TraceFileProblem::None;
    int32_t points = 0;   // saved or loaded
    std::string path;     // the file saved by the dialog (its name as completed)
};

// Appends ".lne" unless the name ends in exactly ".lne" (case-sensitive).
std::string withTraceExtension(const std::string& name);

// Writes the points below the pointCount read once at the start. Written to a temporary file
// in the same folder and renamed over the target, so a failed save never leaves half a file; a
// link is written through to its file, the file keeps its permissions, and a read-only file is
// refused ("无法建立‘%s’文件").
TraceFileResult saveTraceFile(const std::string& path, const Chromatogram& chromatogram);

// Validates (N within 0 .. 9,999,999, size exactly 4 + 8 × N), then replaces the trace. A file
// that fails leaves the trace exactly as it was.
TraceFileResult loadTraceFile(const std::string& path, Chromatogram& chromatogram);

}  // namespace vespian
