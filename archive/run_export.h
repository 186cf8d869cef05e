#pragma once
// The open export of a run: one folder that a laboratory's data system or a notebook reads
// without this program. The README's section "The open export of a run" documents every file
// and member; this is what writes it.
//
//   manifest.json     what the folder holds, the trace's SHA-256, each file's SHA-256
//   trace.csv         the raw trace: time_s, signal_mV, temperature_C
//   run.json          the run record beside the trace, as saved (when there is one)
//   method.json       the method that ran (when one did)
//   evaluations.json  every archived evaluation and report of the trace: parameters, results,
//                     uncertainties, flags
//   audit.json        the audit rows that concern the trace

#include <string>
#include <vector>

#include "archive/archive.h"

namespace vespian {

inline constexpr int32_t kRunExportFormat = 1;
inline constexpr char kRunExportKind[] = "vespian-run-export";

struct RunExport {
    bool ok = false;
    std::string message;             // for the operator, when !ok
    std::string folder;
    std::vector<std::string> files;  // written, by name
    std::string traceSha256;
    bool archived = false;           // the archive knows a save of the trace with this hash
};

// Writes the folder (made when missing; files of the same names are replaced). `program` names
// the writer in the manifest.
RunExport exportRun(Archive& archive, const std::string& tracePath, const std::string& folder,
                    const std::string& program);

}  // namespace vespian
