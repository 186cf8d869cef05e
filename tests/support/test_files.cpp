#include "support/test_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace vespian::testing {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TestFolder::TestFolder(const std::string& prefix) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test != nullptr ? std::string(test->test_suite_name()) + "_" + test->name() : "none";
    // The process id too: the same test may run at the same time from another build tree on
    // the machine, or twice under ctest --repeat, and must not clear the other's files.
    path_ = fs::temp_directory_path() / (prefix + "_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace vespian::testing
