#include "link/d2xx_driver.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vespian {
namespace {

// The stand-in library's test-side functions, found in the same loaded copy the driver uses.
class StandinControl {
public:
    explicit StandinControl(const char* path = VESPIAN_STANDIN_D2XX) : library_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        if (library_ == nullptr) return;
        configure_ = reinterpret_cast<Configure>(dlsym(library_, "FtStandin_configure"));
        feed_ = reinterpret_cast<Feed>(dlsym(library_, "FtStandin_feed"));
        callLog_ = reinterpret_cast<CallLog>(dlsym(library_, "FtStandin_callLog"));
    }
    ~StandinControl() {
        if (library_ != nullptr) dlclose(library_);
    }
    bool ok() const { return configure_ != nullptr && feed_ != nullptr && callLog_ != nullptr; }

    void attach(const std::vector<std::pair<std::string, uint32_t>>& devices) {
        std::vector<const char*> descriptions;
        std::vector<uint32_t> locations;
        for (const auto& [description, location] : devices) {
            descriptions.push_back(description.c_str());
            locations.push_back(location);
        }
        configure_(descriptions.data(), locations.data(), static_cast<int>(devices.size()));
    }
    void feed(const std::vector<uint8_t>& bytes) { feed_(bytes.data(), static_cast<uint32_t>(bytes.size())); }
    std::string log() const { return callLog_(); }

private:
    using Configure = void (*)(const char* const*, const uint32_t*, int);
    using Feed = void (*)(const uint8_t*, uint32_t);
    using CallLog = const char* (*)();
    void* library_;
    Configure configure_ = nullptr;
    Feed feed_ = nullptr;
    CallLog callLog_ = nullptr;
};

class D2xxDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin.ok()) << dlerror();
        standin.attach({{"TRV-8800", 0x2131}, {"USB <-> Serial Cable", 0x2132}});
        ASSERT_TRUE(driver.loaded());
    }

    std::unique_ptr<Device> openAnalyser() {
        std::unique_ptr<Device> device;
        EXPECT_EQ(driver.openByLocation(0x2131, &device), DeviceStatus::Ok);
        return device;
    }

    StandinControl standin;
    D2xxDriver driver{VESPIAN_STANDIN_D2XX};
};

TEST_F(D2xxDriverTest, ListsDescriptionsAndLocationsByIndex) {
    char buffers[3][kDescriptionBufferSize] = {};
    char* descriptions[3] = {buffers[0], buffers[1], buffers[2]};
    int32_t count = -1;
    ASSERT_EQ(driver.listByDescription(descriptions, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(buffers[0], "TRV-8800");
    EXPECT_STREQ(buffers[1], "USB <-> Serial Cable");

    uint32_t locations[3] = {};
    ASSERT_EQ(driver.listByLocation(locations, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(locations[0], 0x2131u);
    EXPECT_EQ(locations[1], 0x2132u);
}

// More devices than the caller has slots for: the caller's buffers are not overrun.
TEST_F(D2xxDriverTest, ListingStaysWithinTheCallersSlots) {
    standin.attach({{"A", 1}, {"B", 2}, {"C", 3}});
    char buffer[kDescriptionBufferSize] = {};
    char* descriptions[1] = {buffer};
    uint32_t locations[2] = {0, 0xDEAD};
    int32_t count = 0;
    ASSERT_EQ(driver.listByDescription(std::span<char*>(descriptions, 1), &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 3);
    EXPECT_STREQ(buffer, "A");
    ASSERT_EQ(driver.listByLocation(std::span<uint32_t>(locations, 1), &count), DeviceStatus::Ok);
    EXPECT_EQ(locations[0], 1u);
    EXPECT_EQ(locations[1], 0xDEADu);
}

TEST_F(D2xxDriverTest, ConfigurationAndWritesReachTheLibrary) {
    std::unique_ptr<Device> device = openAnalyser();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->setBaudRate(38400), DeviceStatus::Ok);
    EXPECT_EQ(device->setDataCharacteristics(kBits8, kStopBits1, kParityNone), DeviceStatus::Ok);
    EXPECT_EQ(device->setTimeouts(1000, 1000), DeviceStatus::Ok);
    EXPECT_EQ(device->purge(kPurgeRx | kPurgeTx), DeviceStatus::Ok);
    EXPECT_EQ(device->setLatencyTimer(100), DeviceStatus::Ok);
    const uint8_t frame[] = {0x3B, 0x11, 0x00, 0x32};
    uint32_t written = 0;
    EXPECT_EQ(device->write(frame, 4, &written), DeviceStatus::Ok);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(device->close(), DeviceStatus::Ok);
    EXPECT_EQ(device->close(), DeviceStatus::Ok);  // a second close does not reach the library
    EXPECT_EQ(standin.log(),
              "OpenEx 8497 flags 4\n"
              "SetBaudRate 38400\n"
              "SetDataCharacteristics 8 0 0\n"
              "SetTimeouts 1000 1000\n"
              "Purge 3\n"
              "SetLatencyTimer 100\n"
              "Write 3B 11 00 32\n"
              "Close\n");
    uint8_t byte = 0;
    uint32_t received = 9;
    EXPECT_EQ(device->read(&byte, 1, &received), DeviceStatus::InvalidHandle);
    EXPECT_EQ(received, 0u);
}

TEST_F(D2xxDriverTest, ReadsReturnFedBytes) {
    std::unique_ptr<Device> device = openAnalyser();
    ASSERT_NE(device, nullptr);
    device->setTimeouts(20, 20);
    standin.feed({0x60, 0x80, 0x00, 0x00});
    uint8_t frame[4] = {};
    uint32_t received = 0;
    ASSERT_EQ(device->read(frame, 1, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 1u);
    EXPECT_EQ(frame[0], 0x60);
    ASSERT_EQ(device->read(frame + 1, 3, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 3u);
    EXPECT_EQ(frame[1], 0x80);
    EXPECT_EQ(frame[3], 0x00);
    ASSERT_EQ(device->read(frame, 1, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 0u);  // time-out
}

TEST_F(D2xxDriverTest, UnknownLocationIsNotOpened) {
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(0x9999, &device), DeviceStatus::DeviceNotFound);
    EXPECT_EQ(device, nullptr);
}

TEST(D2xxDriverAbsent, MissingLibraryOrFunctionsGiveNoDevices) {
    for (const char* path : {"/nonexistent/libftd2xx.so", "libm.so.6"}) {
        D2xxDriver driver{path};
        EXPECT_FALSE(driver.loaded()) << path;
        char buffer[kDescriptionBufferSize] = {};
        char* descriptions[1] = {buffer};
        uint32_t locations[1] = {};
        int32_t count = -1;
        EXPECT_EQ(driver.listByDescription(descriptions, &count), DeviceStatus::Ok);
        EXPECT_EQ(count, 0);
        count = -1;
        EXPECT_EQ(driver.listByLocation(locations, &count), DeviceStatus::Ok);
        EXPECT_EQ(count, 0);
        std::unique_ptr<Device> device;
        EXPECT_NE(driver.openByLocation(0, &device), DeviceStatus::Ok);
        EXPECT_EQ(device, nullptr);
    }
}

// A library without the latency call is used all the same: the call's result never mattered,
// the line works without it.
TEST(D2xxDriverWithoutLatency, TheLibraryIsUsedAndTheAnalyserOpens) {
    StandinControl standin(VESPIAN_STANDIN_D2XX_NO_LATENCY);
    ASSERT_TRUE(standin.ok()) << dlerror();
    standin.attach({{"TRV-8800", 0x2131}});
    D2xxDriver driver{VESPIAN_STANDIN_D2XX_NO_LATENCY};
    ASSERT_TRUE(driver.loaded());
    std::unique_ptr<Device> device;
    ASSERT_EQ(driver.openByLocation(0x2131, &device), DeviceStatus::Ok);
    EXPECT_EQ(device->setBaudRate(38400), DeviceStatus::Ok);
    EXPECT_NE(device->setLatencyTimer(100), DeviceStatus::Ok);
    const uint8_t halt = 0xC1;
    uint32_t written = 0;
    EXPECT_EQ(device->write(&halt, 1, &written), DeviceStatus::Ok);
    device->close();
    EXPECT_EQ(standin.log(), "OpenEx 8497 flags 4\nSetBaudRate 38400\nWrite C1\nClose\n");
}

}  // namespace
}  // namespace vespian
