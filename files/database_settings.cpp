#include "files/database_settings.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "files/record_database.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

DatabaseName databaseNamed(const std::string& path) { return {path, databaseTitleOf(path)}; }

DatabaseName noDatabase(const std::string& dataFolder) { return {dataFolder, {}}; }

std::string readRememberedDatabase(const std::string& settingsPath) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(settingsPath.c_str(), "rb"));
    if (!file) return {};
    // A path is short; anything longer than this is not our file.
    char buffer[4096];
    const size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    if (got == sizeof buffer) return {};
    std::string text(buffer, got);
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.resize(end);
    if (text.find('\0') != std::string::npos) return {};
    return text;
}

bool rememberDatabase(const std::string& settingsPath, const std::string& databasePath) {
    const std::string line = databasePath + "\n";
    return replaceFile(settingsPath, [&](std::FILE* file) { return writeBlock(file, line.data(), line.size()); }) ==
           ReplaceFileStatus::Ok;
}

DatabaseName startupDatabaseName(const std::string& dataFolder, const std::string& remembered) {
    if (remembered.empty() || !isRegularFile(remembered)) return noDatabase(dataFolder);
    return databaseNamed(remembered);
}

}  // namespace vespian
