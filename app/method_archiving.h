#pragma once
// A method run as the trace's run record and the archive see it: the method's file, every log
// line with the frames it sent, the marks, and each file the run saves registered (a trace with
// its run record beside it), in the window and in the console recorder alike.

#include <functional>

#include "app/run_archiving.h"
#include "method/run_observer.h"

namespace vespian {

class MethodArchiving final : public RunObserver {
public:
    // `said` is given what the archive has to say about a save (shown once by the caller).
    // `everyFile`: register the run's reports and exports too, where no save listener does (the
    // console recorder); the window's writers tell the archive of those themselves.
    MethodArchiving(RunArchiving& archiving, std::function<void(const ArchiveNotice&)> said, bool everyFile);

    void methodStarted(const MethodFile& method) override;
    void logEntry(const RunLogEntry& entry) override;
    void marked(const RunMark& mark) override;
    void fileSaved(const std::string& path, int32_t tracePoints) override;
    void methodEnded() override;

private:
    RunArchiving& archiving_;
    std::function<void(const ArchiveNotice&)> said_;
    bool everyFile_ = false;
};

}  // namespace vespian
