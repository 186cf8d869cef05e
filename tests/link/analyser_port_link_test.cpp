#include "link/analyser_port_link.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "link/serial_driver.h"
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
using Ports = std::vector<uint32_t>;

class AnalyserPortLink : public ::testing::Test {
protected:
    void SetUp() override {
        for (int n : {0, 1, 2, 7}) writeBytes(dev / ("ttyUSB" + std::to_string(n)), "");
    }
    std::string root() const { return dev.string(); }

    TestFolder folder{"port-link"};
    fs::path dev = folder / "dev";
};

TEST_F(AnalyserPortLink, LinkedPortMovesToTheFrontOthersKeepTheirOrder) {
    fs::create_symlink("ttyUSB2", dev / "trv-8800");  // as udev makes it: relative
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 2, 7}), (Ports{2, 0, 1, 7}));
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 7}), (Ports{0, 1, 7}));  // its port is not listed
    EXPECT_EQ(linkedPortFirst(root(), {}), Ports{});

    fs::remove(dev / "trv-8800");
    fs::create_symlink(dev / "ttyUSB7", dev / "trv-8800");  // absolute
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 2, 7}), (Ports{7, 0, 1, 2}));
}

TEST_F(AnalyserPortLink, NoLinkBrokenLinkOrLinkElsewhereChangesNothing) {
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 2, 7}), (Ports{0, 1, 2, 7}));
    fs::create_symlink("ttyUSB9", dev / "trv-8800");  // the port is gone
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 2, 7}), (Ports{0, 1, 2, 7}));
    fs::remove(dev / "trv-8800");
    writeBytes(folder / "elsewhere", "");
    fs::create_symlink(folder / "elsewhere", dev / "trv-8800");
    EXPECT_EQ(linkedPortFirst(root(), {0, 1, 2, 7}), (Ports{0, 1, 2, 7}));
    EXPECT_EQ(linkedPortFirst((folder / "missing").string(), {3, 4}), (Ports{3, 4}));
}

// The kernel serial driver lists the linked port first, under its own location id, and both
// listings agree.
TEST_F(AnalyserPortLink, SerialDriverListsTheLinkedPortFirst) {
    fs::create_symlink("ttyUSB1", dev / "trv-8800");
    writeBytes(folder / "sys/class/tty/ttyUSB1/device/product", "TRV-8800\n");
    writeBytes(folder / "sys/class/tty/ttyUSB2/device/product", "FT232R USB UART\n");
    SerialDriver serial(root(), (folder / "sys").string());
    uint32_t locations[8] = {};
    int32_t count = 0;
    ASSERT_EQ(serial.listByLocation(locations, &count), DeviceStatus::Ok);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(Ports(locations, locations + count), (Ports{1, 0, 2, 7}));
    char buffers[8][kDescriptionBufferSize] = {};
    char* descriptions[8];
    for (int i = 0; i < 8; ++i) descriptions[i] = buffers[i];
    ASSERT_EQ(serial.listByDescription(descriptions, &count), DeviceStatus::Ok);
    ASSERT_EQ(count, 4);
    EXPECT_STREQ(buffers[0], "TRV-8800");
    EXPECT_STREQ(buffers[1], "");
    EXPECT_STREQ(buffers[2], "FT232R USB UART");
}

}  // namespace
}  // namespace vespian
