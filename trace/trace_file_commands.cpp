#include "trace/trace_file_commands.h"

#include <cstdio>

#include "platform/prompts.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {

namespace {

FileDialogRequest traceDialog(const char* title, const std::string& dataFolder) {
    return {title, kTraceFileFilter, kTraceFilePattern, dataFolder};
}

bool readable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

}  // namespace

TraceFileResult saveTraceWithDialog(Prompts& prompts, const Chromatogram& chromatogram, const std::string& dataFolder) {
    std::optional<std::string> chosen = prompts.saveFileName(traceDialog("保存谱图文件", dataFolder));
    if (!chosen) return {};
    const std::string path = withTraceExtension(*chosen);
    if (readable(path) &&
        !prompts.askYesNo("新建", "‘" + path + "’文件已经存在，是否要替换它？", PromptIcon::Warning)) {
        return {};
    }
    TraceFileResult saved = saveTraceFile(path, chromatogram);
    if (!saved.ok) prompts.message("错误", saved.message, PromptIcon::Error);
    saved.path = path;
    return saved;
}

bool openTraceWithDialog(Prompts& prompts, Chromatogram& chromatogram, const std::string& dataFolder) {
    std::optional<std::string> chosen = prompts.openFileName(traceDialog("打开谱图文件", dataFolder));
    if (!chosen) return false;
    TraceFileResult loaded = loadTraceFile(*chosen, chromatogram);
    if (!loaded.ok) {
        prompts.message("错误", loaded.message, PromptIcon::Error);
        return false;
    }
    return true;
}

}  // namespace vespian
