#include "platform/export_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "platform/replace_file.h"
#include "platform/saved_files.h"

namespace vespian {

std::string withExtension(const std::string& name, std::string_view extension) {
    if (name.size() >= extension.size() &&
        std::equal(extension.begin(), extension.end(), name.end() - static_cast<std::ptrdiff_t>(extension.size()),
                   [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                   })) {
        return name;
    }
    return name + std::string(extension);
}

std::optional<std::string> chooseExportFile(Prompts& prompts, const FileDialogRequest& request,
                                            std::string_view extension) {
    const std::optional<std::string> chosen = prompts.saveFileName(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return confirmExportPath(prompts, withExtension(*chosen, extension));
}

std::optional<std::string> confirmExportPath(Prompts& prompts, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 &&
        !prompts.askYesNo("新建", "‘" + path + "’文件已经存在，是否要替换它？", PromptIcon::Warning)) {
        return std::nullopt;
    }
    return path;
}

void reportExportFailure(Prompts& prompts, const std::string& path) {
    prompts.message("错误", "写入‘" + path + "’文件失败,文件没有保存", PromptIcon::Error);
}

bool writeExportBytes(Prompts& prompts, const std::string& path, const std::string& bytes) {
    const ReplaceFileStatus status =
        replaceFile(path, [&](std::FILE* file) { return writeBlock(file, bytes.data(), bytes.size()); });
    switch (status) {
    case ReplaceFileStatus::Ok:
        fileSaved(SavedFileKind::Export, path);
        return true;
    case ReplaceFileStatus::CannotCreate: prompts.message("错误", "无法建立‘" + path + "’文件", PromptIcon::Error); break;
    case ReplaceFileStatus::ReadOnly:
        prompts.message("错误", "‘" + path + "’文件是只读的,文件没有保存", PromptIcon::Error);
        break;
    case ReplaceFileStatus::WriteFailed:
    case ReplaceFileStatus::CannotReplace: reportExportFailure(prompts, path); break;
    }
    return false;
}

bool exportToChosenFile(Prompts& prompts, const FileDialogRequest& request, std::string_view extension,
                        const std::function<bool(const std::string& path)>& write) {
    const std::optional<std::string> path = chooseExportFile(prompts, request, extension);
    if (!path) return false;
    if (write(*path)) {
        fileSaved(SavedFileKind::Export, *path);
        return true;
    }
    reportExportFailure(prompts, *path);
    return false;
}

}  // namespace vespian
