#pragma once
// The operator's "open" and "save" of a trace file: the file dialogs, the extension rule, the
// replace question and the error messages, around the trace-file format.

#include <string>

#include "trace/trace_file.h"

namespace vespian {

class Chromatogram;
class Prompts;

inline constexpr char kTraceFileFilter[] = "Vespian2002谱图文件 (*.lne)";
inline constexpr char kTraceFilePattern[] = "*.lne";

// Asks for a name (".lne" appended unless it ends in exactly ".lne"), asks before replacing an
// existing file, writes the trace. Cancel or No writes nothing (and is not ok, without a message).
TraceFileResult saveTraceWithDialog(Prompts& prompts, const Chromatogram& chromatogram, const std::string& dataFolder);

// Asks for a file and loads it. True when the trace was replaced; a file that cannot be opened
// or is not a trace file is reported and leaves the trace as it was.
bool openTraceWithDialog(Prompts& prompts, Chromatogram& chromatogram, const std::string& dataFolder);

}  // namespace vespian
