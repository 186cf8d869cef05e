#include "support/comma_locale.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vespian::testing {

namespace fs = std::filesystem;

std::string commaLocaleFolder() {
    const fs::path folder = fs::temp_directory_path() / ("vespian-locales-" + std::to_string(::getuid()));
    const fs::path target = folder / kCommaLocaleName;
    std::error_code error;
    if (fs::exists(target / "LC_NUMERIC", error)) return folder.string();
    // Made aside and renamed into place, so test programs starting together never see half a
    // locale; the one that comes second keeps the first one's.
    fs::create_directories(folder, error);
    std::string aside = (folder / ".new-XXXXXX").string();
    if (::mkdtemp(aside.data()) == nullptr) return {};
    const fs::path made = fs::path(aside) / kCommaLocaleName;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + made.string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (status == 0 || fs::exists(made / "LC_NUMERIC", error)) fs::rename(made, target, error);
    fs::remove_all(aside, error);
    return fs::exists(target / "LC_NUMERIC", error) ? folder.string() : std::string();
}

CommaLocale::CommaLocale() {
    const std::string folder = commaLocaleFolder();
    if (folder.empty()) return;
    ::setenv("LOCPATH", folder.c_str(), 1);
    if (std::setlocale(LC_ALL, kCommaLocaleName) == nullptr) return;
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.5);
    active_ = std::string(text) == "0,5";
}

CommaLocale::~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
}

}  // namespace vespian::testing
