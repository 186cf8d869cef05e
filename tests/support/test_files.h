#pragma once
// Files in tests: whole-file reads and writes, and a fresh folder per test named after it.

#include <filesystem>
#include <string>

namespace vespian::testing {

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

// A new empty folder in the temporary directory, named after the running test and the process,
// removed again when it goes out of scope.
class TestFolder {
public:
    explicit TestFolder(const std::string& prefix);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace vespian::testing
