#pragma once
// Who else follows a method run beyond the operator's view: the run record of the trace keeps
// the method, its log and marks, and a trace the run saves is registered like any other save.
// The driver tells an observer, when it has one, as things happen.

#include <cstdint>
#include <string>

#include "method/method_file.h"
#include "method/method_runner.h"
#include "method/run_log.h"

namespace vespian {

class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void methodStarted(const MethodFile& method) = 0;
    virtual void logEntry(const RunLogEntry& entry) = 0;
    virtual void marked(const RunMark& mark) = 0;
    // A file of the run written in place; `tracePoints` the trace's points when it is the trace.
    virtual void fileSaved(const std::string& path, int32_t tracePoints) = 0;
    virtual void methodEnded() = 0;
};

}  // namespace vespian
