#pragma once
// Which database the program works with, remembered between runs in a small file of its own
// beside the other settings files ("Database.ini": one line, the database file's path in
// UTF-8). The database file's layout itself carries no name.

#include <string>

namespace vespian {

inline constexpr char kDatabaseSettingsFileName[] = "Database.ini";

// The current database: its path and file title. Without a title no database is chosen (the
// path is then the data folder itself).
struct DatabaseName {
    std::string path;
    std::string title;
    bool named() const { return !title.empty(); }
};

// The database named by a path.
DatabaseName databaseNamed(const std::string& path);
// No database chosen: the data folder's path, empty title.
DatabaseName noDatabase(const std::string& dataFolder);

// The remembered database path; empty when nothing is remembered or the file cannot be read.
std::string readRememberedDatabase(const std::string& settingsPath);

// Replaces the settings file (through a temporary file). False when it cannot be written.
bool rememberDatabase(const std::string& settingsPath, const std::string& databasePath);

// The database to work with at start: the remembered one when it still names a regular file,
// otherwise none.
DatabaseName startupDatabaseName(const std::string& dataFolder, const std::string& remembered);

}  // namespace vespian
