#include "app/method_archiving.h"

#include "archive/wall_time.h"
#include "files/test_report_file.h"
#include "trace/trace_file.h"

namespace vespian {

MethodArchiving::MethodArchiving(RunArchiving& archiving, std::function<void(const ArchiveNotice&)> said,
                                 bool everyFile)
    : archiving_(archiving), said_(std::move(said)), everyFile_(everyFile) {}

void MethodArchiving::methodStarted(const MethodFile& method) {
    archiving_.recorder().methodStarted(nlohmann::json::parse(methodText(method), nullptr, false));
}

void MethodArchiving::logEntry(const RunLogEntry& entry) {
    nlohmann::json values = nlohmann::json::object();
    if (!entry.frames.empty()) values["frames"] = entry.frames;
    archiving_.recorder().methodLog(wallNowMs(), entry.step, entry.text, std::move(values));
}

void MethodArchiving::marked(const RunMark& mark) { archiving_.recorder().mark(wallNowMs(), mark.name); }

void MethodArchiving::fileSaved(const std::string& path, int32_t tracePoints) {
    ArchiveNotice notice;
    if (path.ends_with(kTraceFileExtension)) {
        notice = archiving_.traceSaved(path, tracePoints).notice;
    } else if (everyFile_) {
        SaveFacts facts;
        facts.kind = path.ends_with(kReportFileExtension) ? SaveKind::Report : SaveKind::Export;
        facts.path = path;
        notice = archiving_.saved(std::move(facts));
    }
    if (notice.said() && said_) said_(notice);
}

void MethodArchiving::methodEnded() { archiving_.recorder().methodEnded(); }

}  // namespace vespian
