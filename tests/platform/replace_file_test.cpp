#include "platform/replace_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

bool writeText(std::FILE* file, const char* text) { return writeBlock(file, text, std::strlen(text)); }

TEST(ReplaceFile, NewAndExistingTargetsGetTheWholeNewContents) {
    TestFolder folder("replace_file");
    const std::string path = folder.file("data.bin");
    EXPECT_EQ(replaceFile(path, [](std::FILE* f) { return writeText(f, "first"); }), ReplaceFileStatus::Ok);
    EXPECT_EQ(readBytes(path), "first");
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(replaceFile(path, [](std::FILE* f) { return writeText(f, "second, longer"); }), ReplaceFileStatus::Ok);
    EXPECT_EQ(readBytes(path), "second, longer");
    EXPECT_FALSE(fs::exists(path + ".part"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}), 1);
}

TEST(ReplaceFile, AFailedWriteLeavesTheOldFile) {
    TestFolder folder("replace_file_fail");
    const std::string path = folder.file("data.bin");
    writeBytes(path, "old");
    EXPECT_EQ(replaceFile(path,
                          [](std::FILE* f) {
                              writeText(f, "half");
                              return false;
                          }),
              ReplaceFileStatus::WriteFailed);
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_FALSE(fs::exists(path + ".part"));
}

TEST(ReplaceFile, FolderTargetsAndMissingFoldersFail) {
    TestFolder folder("replace_file_folder");
    fs::create_directories(folder / "sub");
    writeBytes(folder / "sub" / "inside", "kept");
    EXPECT_EQ(replaceFile(folder.file("sub"), [](std::FILE* f) { return writeText(f, "x"); }),
              ReplaceFileStatus::CannotReplace);
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    EXPECT_EQ(readBytes(folder / "sub" / "inside"), "kept");
    EXPECT_FALSE(fs::exists(folder.file("sub.part")));
    EXPECT_EQ(replaceFile(folder.file("none/x"), [](std::FILE* f) { return writeText(f, "x"); }),
              ReplaceFileStatus::CannotCreate);
}

}  // namespace
}  // namespace vespian
