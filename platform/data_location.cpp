#include "platform/data_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vespian {

namespace {

namespace fs = std::filesystem;

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string accountHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

}  // namespace

bool runsFromBuildTree(const std::string& executable) {
    if (executable.empty()) return false;
    // Our programs sit at the top of the build tree; a bin/ below it would do as well.
    const fs::path folder = fs::path(executable).parent_path();
    return isFile(folder / kBuildTreeMarker) || (folder.has_parent_path() && isFile(folder.parent_path() / kBuildTreeMarker));
}

bool runsInstalled(const std::string& executable) {
    if (executable.empty() || runsFromBuildTree(executable)) return false;
    return fs::path(executable).parent_path().filename() == "bin";
}

std::string userDataHome(const std::string& xdgDataHome, const std::string& home) {
    if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute()) return xdgDataHome;
    if (!home.empty() && fs::path(home).is_absolute()) return (fs::path(home) / ".local" / "share").string();
    return {};
}

DataLocation chooseDataLocation(const DataLocationInputs& inputs) {
    DataLocation location;
    if (!runsInstalled(inputs.executable)) {
        location.place = DataPlace::WorkingFolder;
        location.folder = inputs.workingFolder.empty() ? std::string(".") : inputs.workingFolder;
        location.ok = true;
        return location;
    }
    location.place = DataPlace::UserDataHome;
    const std::string dataHome = userDataHome(inputs.xdgDataHome, inputs.home);
    if (dataHome.empty()) {
        location.message =
            "无法确定用户数据文件夹：XDG_DATA_HOME 和 HOME 都未设置\n"
            "cannot tell the user's data folder: neither XDG_DATA_HOME nor HOME is set";
        return location;
    }
    location.folder = (fs::path(dataHome) / kDataHomeFolderName).string();
    std::error_code error;
    const fs::file_status status = fs::status(location.folder, error);
    if (fs::exists(status) && !fs::is_directory(status)) {
        location.message = "‘" + location.folder + "’不是文件夹，无法在其中保存设置和数据\n‘" + location.folder +
                           "’ is not a folder: the settings and data cannot be kept there";
        return location;
    }
    location.created = !fs::exists(status);
    location.ok = true;
    return location;
}

DataLocation prepareDataLocation(const DataLocationInputs& inputs) {
    DataLocation location = chooseDataLocation(inputs);
    if (!location.ok || !location.created) return location;
    std::error_code error;
    fs::create_directories(location.folder, error);
    if (error || !fs::is_directory(location.folder, error)) {
        location.ok = false;
        location.message = "无法建立数据文件夹‘" + location.folder + "’\ncannot create the data folder ‘" +
                           location.folder + "’";
    }
    return location;
}

DataLocationInputs currentDataLocationInputs() {
    DataLocationInputs inputs;
    std::error_code error;
    inputs.executable = fs::read_symlink("/proc/self/exe", error).string();
    inputs.workingFolder = fs::current_path(error).string();
    inputs.xdgDataHome = environment("XDG_DATA_HOME");
    inputs.home = environment("HOME");
    if (inputs.home.empty()) inputs.home = accountHome();
    return inputs;
}

}  // namespace vespian
