#include "link/serial_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/pty_pair.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PtyPair;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::unique_ptr<Device> openExplicit(const std::string& path) {
    SerialDriver driver = SerialDriver::forPort(path);
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(0, &device), DeviceStatus::Ok);
    return device;
}

milliseconds timed(const std::function<void()>& action) {
    const auto started = Clock::now();
    action();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - started);
}

TEST(SerialDriverPort, ExplicitPortIsListedAsTheAnalyser) {
    SerialDriver driver = SerialDriver::forPort("/dev/ttyACM3");
    char buffer[kDescriptionBufferSize] = {};
    char* descriptions[1] = {buffer};
    uint32_t locations[1] = {99};
    int32_t count = 0;
    ASSERT_EQ(driver.listByDescription(descriptions, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(buffer, "TRV-8800");
    ASSERT_EQ(driver.listByLocation(locations, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(locations[0], 0u);
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(1, &device), DeviceStatus::DeviceNotFound);
    EXPECT_EQ(driver.openByLocation(0, &device), DeviceStatus::DeviceNotFound);  // no such file
}

TEST(SerialDriverPort, OpenSetsRaw38400EightNoneOne) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // Leave the port cooked, slow and with parity, so that every setting below has to be made.
    int probe = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(probe, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(probe, &tio), 0);
    tio.c_lflag |= ICANON | ECHO | ISIG;
    tio.c_iflag |= ICRNL | IXON;
    tio.c_oflag |= OPOST;
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    ASSERT_EQ(tcsetattr(probe, TCSANOW, &tio), 0);

    std::unique_ptr<Device> device = openExplicit(pty.slavePath());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->setBaudRate(38400), DeviceStatus::Ok);
    EXPECT_EQ(device->setDataCharacteristics(kBits8, kStopBits1, kParityNone), DeviceStatus::Ok);
    EXPECT_EQ(device->setBaudRate(12345), DeviceStatus::InvalidParameter);

    ASSERT_EQ(tcgetattr(probe, &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    ::close(probe);
}

TEST(SerialDriverPort, BytesPassBothWays) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    std::unique_ptr<Device> device = openExplicit(pty.slavePath());
    ASSERT_NE(device, nullptr);
    device->setTimeouts(1000, 1000);

    // 0x0D and 0x11 would be changed or swallowed by a line that is not raw.
    const uint8_t frame[] = {0x61, 0x0D, 0x11, 0xE8};
    ASSERT_TRUE(pty.writeMaster(frame, sizeof frame));
    uint8_t got[4] = {};
    for (uint8_t& byte : got) {
        uint32_t received = 0;
        ASSERT_EQ(device->read(&byte, 1, &received), DeviceStatus::Ok);
        ASSERT_EQ(received, 1u);
    }
    EXPECT_EQ(std::vector<uint8_t>(got, got + 4), std::vector<uint8_t>(frame, frame + 4));

    const uint8_t command[] = {0x3E, 0x01, 0x03, 0xE8, 0x0A, 0x00, 0x78, 0x00};
    uint32_t written = 0;
    ASSERT_EQ(device->write(command, sizeof command, &written), DeviceStatus::Ok);
    EXPECT_EQ(written, sizeof command);
    EXPECT_EQ(pty.readMaster(8, 1000), std::string(reinterpret_cast<const char*>(command), sizeof command));
}

TEST(SerialDriverPort, ReadWithNothingWaitsOutTheTimeout) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    std::unique_ptr<Device> device = openExplicit(pty.slavePath());
    ASSERT_NE(device, nullptr);
    device->setTimeouts(150, 150);
    uint8_t byte = 0;
    uint32_t received = 7;
    DeviceStatus status = DeviceStatus::OtherError;
    milliseconds took = timed([&] { status = device->read(&byte, 1, &received); });
    EXPECT_EQ(status, DeviceStatus::Ok);
    EXPECT_EQ(received, 0u);
    EXPECT_GE(took.count(), 140);
    EXPECT_LT(took.count(), 1000);
}

// After a hang-up every read fails; each failure must still take its time, or the acquisition
// thread would spin a core until the watchdog reopens the link.
TEST(SerialDriverPort, HangUpFailsWithoutSpinning) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    std::unique_ptr<Device> device = openExplicit(pty.slavePath());
    ASSERT_NE(device, nullptr);
    device->setTimeouts(20, 20);
    // Replace the master with /dev/null: the master side is closed, PtyPair still owns an fd.
    int null = ::open("/dev/null", O_RDWR);
    ASSERT_GE(null, 0);
    ASSERT_GE(::dup2(null, pty.masterFd()), 0);
    ::close(null);

    for (int i = 0; i < 3; ++i) {
        uint8_t byte = 0;
        uint32_t received = 0;
        DeviceStatus status = DeviceStatus::Ok;
        milliseconds took = timed([&] { status = device->read(&byte, 1, &received); });
        EXPECT_EQ(status, DeviceStatus::IoError);
        EXPECT_EQ(received, 0u);
        EXPECT_GE(took.count(), 95);
        EXPECT_LT(took.count(), 1000);
    }
}

// A stand-in for /dev and /sys: ports as plain files (or a link to a pty), sysfs class entries
// as relative symbolic links into a device tree with product strings.
class SerialDriverTree : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vespian-serial-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys/class/tty");
        write(root / "sys/devices/usb1/product", "xHCI Host Controller\n");
        port(0, "1-1", "TRV-8800\n");
        port(1, "1-2", "FT232R USB UART\n");
        port(2, "1-3", "TRV-8800 \n");
        port(3, "1-4", nullptr);                // a USB device without a product string
        write(root / "dev/ttyUSB10", "");       // no sysfs entry at all
        write(root / "dev/ttyS0", "");
        write(root / "dev/ttyUSBx", "");
        write(root / "dev/ttyUSB", "");
    }
    void TearDown() override { fs::remove_all(root); }

    static void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    void port(int n, const std::string& usbDevice, const char* product) {
        const std::string name = "ttyUSB" + std::to_string(n);
        fs::path portFolder = root / "sys/devices/usb1" / usbDevice / (usbDevice + ":1.0") / name;
        fs::create_directories(portFolder);
        if (product != nullptr) write(root / "sys/devices/usb1" / usbDevice / "product", product);
        fs::create_directories(root / "sys/class/tty" / name);
        fs::create_directory_symlink(fs::path("../../../devices/usb1") / usbDevice / (usbDevice + ":1.0") / name,
                                     root / "sys/class/tty" / name / "device");
        write(root / "dev" / name, "");
    }

    SerialDriver driver() const { return SerialDriver((root / "dev").string(), (root / "sys").string()); }

    fs::path root;
};

TEST_F(SerialDriverTree, ListsProductStringsInPortOrder) {
    SerialDriver serial = driver();
    char buffers[8][kDescriptionBufferSize];
    char* descriptions[8];
    for (int i = 0; i < 8; ++i) {
        std::fill(std::begin(buffers[i]), std::end(buffers[i]), 'x');
        descriptions[i] = buffers[i];
    }
    int32_t count = 0;
    ASSERT_EQ(serial.listByDescription(descriptions, &count), DeviceStatus::Ok);
    ASSERT_EQ(count, 5);
    EXPECT_STREQ(buffers[0], "TRV-8800");
    EXPECT_STREQ(buffers[1], "FT232R USB UART");
    EXPECT_STREQ(buffers[2], "TRV-8800 ");  // the blank stays: it is not the analyser
    EXPECT_STREQ(buffers[3], "");           // not the hub's name
    EXPECT_STREQ(buffers[4], "");

    uint32_t locations[8] = {};
    ASSERT_EQ(serial.listByLocation(locations, &count), DeviceStatus::Ok);
    ASSERT_EQ(count, 5);
    EXPECT_EQ(std::vector<uint32_t>(locations, locations + 5), (std::vector<uint32_t>{0, 1, 2, 3, 10}));

    // Fewer slots than ports: only as many are filled.
    uint32_t two[2] = {};
    ASSERT_EQ(serial.listByLocation(std::span<uint32_t>(two, 2), &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(two[1], 1u);
}

TEST_F(SerialDriverTree, OpensThePortOfALocation) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    fs::remove(root / "dev/ttyUSB2");
    fs::create_symlink(pty.slavePath(), root / "dev/ttyUSB2");
    SerialDriver serial = driver();

    std::unique_ptr<Device> device;
    ASSERT_EQ(serial.openByLocation(2, &device), DeviceStatus::Ok);
    ASSERT_NE(device, nullptr);
    const uint8_t halt = 0x48;
    uint32_t written = 0;
    device->write(&halt, 1, &written);
    EXPECT_EQ(pty.readMaster(1, 1000), "H");

    EXPECT_EQ(serial.openByLocation(7, &device), DeviceStatus::DeviceNotFound);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(serial.openByLocation(0, &device), DeviceStatus::DeviceNotOpened);  // not a terminal
}

TEST(SerialDriverScan, MissingDevFolderListsNothing) {
    SerialDriver serial("/nonexistent/dev", "/nonexistent/sys");
    uint32_t locations[1] = {};
    int32_t count = -1;
    EXPECT_EQ(serial.listByLocation(locations, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace vespian
