#include "platform/replace_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

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

// A link stays a link: the file it names gets the new contents, also through a chain of links
// and a relative link into another folder.
TEST(ReplaceFile, SymbolicLinksAreWrittenThrough) {
    TestFolder folder("replace_file_link");
    fs::create_directories(folder / "real");
    writeBytes(folder / "real" / "trace.lne", "old");
    fs::create_symlink("real/trace.lne", folder / "link.lne");
    fs::create_symlink("link.lne", folder / "link2.lne");
    EXPECT_EQ(resolveLinks(folder.file("link2.lne")), (folder.path() / "real/trace.lne").string());
    EXPECT_EQ(replaceFile(folder.file("link2.lne"), [](std::FILE* f) { return writeText(f, "new"); }),
              ReplaceFileStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.lne")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link2.lne")));
    EXPECT_EQ(readBytes(folder / "real" / "trace.lne"), "new");
    EXPECT_FALSE(fs::exists(folder / "real" / "trace.lne.part"));
    EXPECT_FALSE(fs::exists(folder / "link2.lne.part"));

    // A link to a file not there yet creates that file.
    fs::create_symlink("real/later.lne", folder / "dangling.lne");
    EXPECT_EQ(replaceFile(folder.file("dangling.lne"), [](std::FILE* f) { return writeText(f, "made"); }),
              ReplaceFileStatus::Ok);
    EXPECT_EQ(readBytes(folder / "real" / "later.lne"), "made");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "dangling.lne")));

    // A loop of links is not followed for ever.
    fs::create_symlink("loopB", folder / "loopA");
    fs::create_symlink("loopA", folder / "loopB");
    EXPECT_EQ(resolveLinks(folder.file("loopA")), folder.file("loopA"));
}

TEST(ReplaceFile, PermissionsAreKeptAndReadOnlyFilesRefused) {
    TestFolder folder("replace_file_mode");
    const std::string path = folder.file("shared.lne");
    writeBytes(path, "old");
    ::chmod(path.c_str(), 0660);
    EXPECT_EQ(replaceFile(path, [](std::FILE* f) { return writeText(f, "new"); }), ReplaceFileStatus::Ok);
    EXPECT_EQ(modeOf(path), 0660u);
    ::chmod(path.c_str(), 0604);
    EXPECT_EQ(replaceFile(path, [](std::FILE* f) { return writeText(f, "newer"); }), ReplaceFileStatus::Ok);
    EXPECT_EQ(modeOf(path), 0604u);

    ::chmod(path.c_str(), 0444);
    bool called = false;
    EXPECT_EQ(replaceFile(path,
                          [&](std::FILE* f) {
                              called = true;
                              return writeText(f, "never");
                          }),
              ReplaceFileStatus::ReadOnly);
    EXPECT_FALSE(called);
    EXPECT_EQ(readBytes(path), "newer");
    EXPECT_EQ(modeOf(path), 0444u);
    EXPECT_FALSE(fs::exists(path + ".part"));
}

}  // namespace
}  // namespace vespian
