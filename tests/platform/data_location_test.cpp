#include "platform/data_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;

// A file with its folders.
void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    testing::writeBytes(path, bytes);
}

// A build tree (build/vespian2002 beside CMakeCache.txt) and an install prefix
// (prefix/bin/vespian2002) side by side, with a home folder for the operator.
class DataLocationTree : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(folder / "build/CMakeCache.txt", "");
        writeBytes(folder / "build/vespian2002", "");
        writeBytes(folder / "prefix/bin/vespian2002", "");
        fs::create_directories(folder / "home");
        fs::create_directories(folder / "lab");
    }

    DataLocationInputs installed() const {
        return {(folder / "prefix/bin/vespian2002").string(), (folder / "lab").string(), "",
                (folder / "home").string()};
    }

    TestFolder folder{"data-location"};
};

TEST_F(DataLocationTree, BuildTreeKeepsTheWorkingFolder) {
    const DataLocationInputs inputs{(folder / "build/vespian2002").string(), (folder / "lab").string(),
                                    (folder / "xdg").string(), (folder / "home").string()};
    EXPECT_TRUE(runsFromBuildTree(inputs.executable));
    EXPECT_FALSE(runsInstalled(inputs.executable));
    const DataLocation location = prepareDataLocation(inputs);
    ASSERT_TRUE(location.ok);
    EXPECT_EQ(location.place, DataPlace::WorkingFolder);
    EXPECT_EQ(location.folder, inputs.workingFolder);
    EXPECT_FALSE(location.created);
    // Nothing is made in the data homes the build tree does not use.
    EXPECT_FALSE(fs::exists(folder / "xdg"));
    EXPECT_FALSE(fs::exists(folder / "home/.local"));
}

TEST_F(DataLocationTree, ProgramsOutsideAPrefixOrWithoutAPathKeepTheWorkingFolder) {
    writeBytes(folder / "opt/vespian2002", "");
    for (const std::string& executable : {(folder / "opt/vespian2002").string(), std::string()}) {
        DataLocationInputs inputs = installed();
        inputs.executable = executable;
        const DataLocation location = chooseDataLocation(inputs);
        ASSERT_TRUE(location.ok) << executable;
        EXPECT_EQ(location.place, DataPlace::WorkingFolder) << executable;
        EXPECT_EQ(location.folder, inputs.workingFolder);
    }
    DataLocationInputs noFolder = installed();
    noFolder.executable.clear();
    noFolder.workingFolder.clear();
    EXPECT_EQ(chooseDataLocation(noFolder).folder, ".");
}

TEST_F(DataLocationTree, BuildTreeWithItsProgramsInBinIsStillTheBuildTree) {
    writeBytes(folder / "build/bin/vespian2002", "");
    EXPECT_TRUE(runsFromBuildTree((folder / "build/bin/vespian2002").string()));
    EXPECT_FALSE(runsInstalled((folder / "build/bin/vespian2002").string()));
    // A prefix unpacked somewhere below a build tree is an installation all the same.
    writeBytes(folder / "build/scratch/usr/bin/vespian2002", "");
    EXPECT_TRUE(runsInstalled((folder / "build/scratch/usr/bin/vespian2002").string()));
}

TEST_F(DataLocationTree, InstalledCreatesItsFolderInTheDataHomeOnFirstStart) {
    const DataLocation first = prepareDataLocation(installed());
    ASSERT_TRUE(first.ok) << first.message;
    EXPECT_EQ(first.place, DataPlace::UserDataHome);
    EXPECT_EQ(fs::path(first.folder), folder / "home/.local/share/vespian2002");
    EXPECT_TRUE(first.created);
    EXPECT_TRUE(fs::is_directory(first.folder));
    // The working folder gets nothing.
    EXPECT_TRUE(fs::is_empty(folder / "lab"));

    writeBytes(fs::path(first.folder) / "InitData.Set", "kept");
    const DataLocation second = prepareDataLocation(installed());
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.folder, first.folder);
    EXPECT_FALSE(second.created);
    EXPECT_EQ(testing::readBytes(fs::path(second.folder) / "InitData.Set"), "kept");
}

TEST_F(DataLocationTree, XdgDataHomeWinsWhenAbsoluteAndIsIgnoredWhenRelative) {
    DataLocationInputs inputs = installed();
    inputs.xdgDataHome = (folder / "xdg").string();
    DataLocation location = prepareDataLocation(inputs);
    ASSERT_TRUE(location.ok);
    EXPECT_EQ(fs::path(location.folder), folder / "xdg/vespian2002");
    EXPECT_TRUE(fs::is_directory(location.folder));

    inputs.xdgDataHome = "relative/share";
    location = chooseDataLocation(inputs);
    EXPECT_EQ(fs::path(location.folder), folder / "home/.local/share/vespian2002");

    EXPECT_EQ(userDataHome("", ""), "");
    EXPECT_EQ(userDataHome("", "not/absolute"), "");
    EXPECT_EQ(userDataHome("/x/share", "/home/op"), "/x/share");
}

// An installed program that cannot have its own folder says so; it never falls back to the
// working folder, whose settings would then be mixed with the operator's.
TEST_F(DataLocationTree, InstalledRefusesRatherThanFallingBack) {
    DataLocationInputs inputs = installed();
    inputs.home.clear();
    DataLocation location = prepareDataLocation(inputs);
    EXPECT_FALSE(location.ok);
    EXPECT_NE(location.message.find("XDG_DATA_HOME"), std::string::npos);
    EXPECT_TRUE(location.folder.empty());

    inputs = installed();
    writeBytes(folder / "home/.local/share/vespian2002", "a file in the way");
    location = prepareDataLocation(inputs);
    EXPECT_FALSE(location.ok);
    EXPECT_NE(location.message.find("不是文件夹"), std::string::npos);
    EXPECT_NE(location.message.find("is not a folder"), std::string::npos);

    if (geteuid() != 0) {  // root may write anywhere
        inputs.xdgDataHome = (folder / "locked/share").string();
        fs::create_directories(folder / "locked");
        fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        location = prepareDataLocation(inputs);
        EXPECT_FALSE(location.ok);
        EXPECT_NE(location.message.find("无法建立数据文件夹"), std::string::npos);
        fs::permissions(folder / "locked", fs::perms::owner_all);
    }
}

TEST(DataLocationProcess, ReadsThisProcessAndItsEnvironment) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", "/data/home/for/test", 1);
    const DataLocationInputs inputs = currentDataLocationInputs();
    if (saved != nullptr) {
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    EXPECT_EQ(inputs.xdgDataHome, "/data/home/for/test");
    EXPECT_EQ(fs::path(inputs.executable).filename(), "platform_tests");
    EXPECT_EQ(fs::path(inputs.workingFolder), fs::current_path());
    EXPECT_FALSE(inputs.home.empty());
    // The test program is built in a build tree, below its top.
    EXPECT_FALSE(runsInstalled(inputs.executable));
}

}  // namespace
}  // namespace vespian
