#include "link/serial_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "link/analyser_port_link.h"
#include "link/instrument_link.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr char kPortPrefix[] = "ttyUSB";
// A read that fails because the device is gone returns no sooner than this, so that a caller
// retrying in a loop does not spin a core while it waits for the watchdog.
constexpr milliseconds kFailedReadMinimum{100};
constexpr uint32_t kDefaultTimeoutMs = 1000;
// Levels above the port's sysfs device folder at which the USB device (with its product
// string) may sit: the port, its interface, the USB device. Higher up is the hub.
constexpr int kProductSearchLevels = 3;

bool speedFor(uint32_t baud, speed_t* speed) {
    static constexpr std::pair<uint32_t, speed_t> kSpeeds[] = {
        {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    for (const auto& [rate, value] : kSpeeds) {
        if (rate == baud) {
            *speed = value;
            return true;
        }
    }
    return false;
}

class SerialDevice final : public Device {
public:
    explicit SerialDevice(int fd) : fd_(fd) {}
    ~SerialDevice() override { close(); }

    DeviceStatus setBaudRate(uint32_t baud) override {
        speed_t speed;
        if (!speedFor(baud, &speed)) return DeviceStatus::InvalidParameter;
        return changeLine([speed](termios& tio) {
            cfsetispeed(&tio, speed);
            cfsetospeed(&tio, speed);
            return true;
        });
    }

    // Word length 7 or 8; stop bits 0 (one) or 2 (two); parity 0 none, 1 odd, 2 even.
    DeviceStatus setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        return changeLine([=](termios& tio) {
            if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 2) return false;
            tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
            tio.c_cflag |= wordLength == 8 ? CS8 : CS7;
            if (stopBits == 2) tio.c_cflag |= CSTOPB;
            if (parity != 0) tio.c_cflag |= PARENB;
            if (parity == 1) tio.c_cflag |= PARODD;
            return true;
        });
    }

    DeviceStatus setTimeouts(uint32_t readMs, uint32_t writeMs) override {
        readTimeoutMs_.store(readMs, std::memory_order_relaxed);
        writeTimeoutMs_.store(writeMs, std::memory_order_relaxed);
        return DeviceStatus::Ok;
    }

    DeviceStatus purge(uint32_t mask) override {
        if (fd_ < 0) return DeviceStatus::InvalidHandle;
        const bool rx = (mask & kPurgeRx) != 0;
        const bool tx = (mask & kPurgeTx) != 0;
        if (!rx && !tx) return DeviceStatus::Ok;
        return tcflush(fd_, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) == 0 ? DeviceStatus::Ok
                                                                                : DeviceStatus::IoError;
    }

    // The kernel driver keeps its own latency setting; the line works without this one.
    DeviceStatus setLatencyTimer(uint8_t) override { return fd_ < 0 ? DeviceStatus::InvalidHandle : DeviceStatus::Ok; }

    DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) override {
        *written = 0;
        if (fd_ < 0) return DeviceStatus::InvalidHandle;
        const auto deadline = Clock::now() + milliseconds(writeTimeoutMs_.load(std::memory_order_relaxed));
        while (*written < length) {
            ssize_t n = ::write(fd_, bytes + *written, length - *written);
            if (n > 0) {
                *written += static_cast<uint32_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd port{fd_, POLLOUT, 0};
                if (::poll(&port, 1, remainingMs(deadline)) == 0) break;  // time-out: a short write
            } else if (n < 0 && errno != EINTR) {
                return DeviceStatus::IoError;
            }
        }
        return DeviceStatus::Ok;
    }

    // Returns when `length` bytes arrived or the read time-out passed. Called once per byte by
    // the acquisition thread: no allocation here.
    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        *received = 0;
        if (fd_ < 0) return DeviceStatus::InvalidHandle;
        const auto start = Clock::now();
        const auto deadline = start + milliseconds(readTimeoutMs_.load(std::memory_order_relaxed));
        while (*received < length) {
            pollfd port{fd_, POLLIN, 0};
            int ready = ::poll(&port, 1, remainingMs(deadline));
            if (ready == 0) break;  // time-out
            if (ready > 0) {
                ssize_t n = ::read(fd_, buffer + *received, length - *received);
                if (n > 0) {
                    *received += static_cast<uint32_t>(n);
                    continue;
                }
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            } else if (errno == EINTR) {
                continue;
            }
            // End of file or an error (EIO after a hang-up): the device is gone. Bytes that came
            // before still count; the error shows again on the next read.
            if (*received > 0) break;
            std::this_thread::sleep_until(std::max(deadline, start + kFailedReadMinimum));
            return DeviceStatus::IoError;
        }
        return DeviceStatus::Ok;
    }

    DeviceStatus close() override {
        if (fd_ < 0) return DeviceStatus::Ok;
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? DeviceStatus::Ok : DeviceStatus::IoError;
    }

private:
    static int remainingMs(Clock::time_point deadline) {
        auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
        return static_cast<int>(std::max<decltype(left)>(left, 0));
    }

    template <typename Change>
    DeviceStatus changeLine(Change change) {
        if (fd_ < 0) return DeviceStatus::InvalidHandle;
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) return DeviceStatus::IoError;
        if (!change(tio)) return DeviceStatus::InvalidParameter;
        return tcsetattr(fd_, TCSANOW, &tio) == 0 ? DeviceStatus::Ok : DeviceStatus::IoError;
    }

    int fd_;
    std::atomic<uint32_t> readTimeoutMs_{kDefaultTimeoutMs};
    std::atomic<uint32_t> writeTimeoutMs_{kDefaultTimeoutMs};
};

// Opens the tty raw, 38400 8N1, no flow control, ignoring the modem lines.
DeviceStatus openPort(const std::string& path, std::unique_ptr<Device>* device) {
    device->reset();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? DeviceStatus::DeviceNotFound : DeviceStatus::DeviceNotOpened;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {  // not a terminal
        ::close(fd);
        return DeviceStatus::DeviceNotOpened;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;  // reads wait in poll(), with the device's read time-out
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return DeviceStatus::DeviceNotOpened;
    }
    *device = std::make_unique<SerialDevice>(fd);
    return DeviceStatus::Ok;
}

// Port numbers n of devRoot/ttyUSB<n>, ascending.
std::vector<uint32_t> scanPorts(const std::string& devRoot) {
    std::vector<uint32_t> ports;
    std::error_code error;
    for (fs::directory_iterator it(devRoot, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kPortPrefix, 0) != 0) continue;
        const char* digits = name.c_str() + std::strlen(kPortPrefix);
        const char* nameEnd = name.c_str() + name.size();
        uint32_t number = 0;
        auto [rest, failure] = std::from_chars(digits, nameEnd, number);
        if (digits == nameEnd || failure != std::errc() || rest != nameEnd) continue;
        ports.push_back(number);
    }
    std::sort(ports.begin(), ports.end());
    return linkedPortFirst(devRoot, std::move(ports));
}

// The USB product string of the device behind the port; empty when sysfs has none. Only the
// line end is taken off: a trailing blank is part of the name.
std::string productString(const std::string& sysRoot, uint32_t port) {
    std::error_code error;
    fs::path folder = fs::canonical(fs::path(sysRoot) / "class" / "tty" / (kPortPrefix + std::to_string(port)) / "device",
                                    error);
    if (error) return {};
    for (int level = 0; level < kProductSearchLevels && !folder.empty(); ++level, folder = folder.parent_path()) {
        std::ifstream file(folder / "product");
        std::string product;
        if (file && std::getline(file, product)) {
            if (!product.empty() && product.back() == '\r') product.pop_back();
            return product;
        }
    }
    return {};
}

void copyDescription(char* buffer, const std::string& description) {
    std::strncpy(buffer, description.c_str(), kDescriptionBufferSize - 1);
    buffer[kDescriptionBufferSize - 1] = '\0';
}

}  // namespace

std::string SerialDriver::openFailure(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    termios tio{};
    const bool terminal = tcgetattr(fd, &tio) == 0;
    const int error = errno;
    ::close(fd);
    if (!terminal) return std::string("不是串口终端 (") + std::strerror(error) + ")";
    return {};
}

SerialDriver::SerialDriver(std::string devRoot, std::string sysRoot)
    : devRoot_(std::move(devRoot)), sysRoot_(std::move(sysRoot)) {}

SerialDriver SerialDriver::forPort(std::string path) {
    SerialDriver driver({}, {});
    driver.explicitPort_ = std::move(path);
    return driver;
}

DeviceStatus SerialDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    if (!explicitPort_.empty()) {
        // The operator named this port as the analyser's.
        if (!descriptions.empty()) copyDescription(descriptions[0], kAnalyserDescription);
        *count = 1;
        return DeviceStatus::Ok;
    }
    const std::vector<uint32_t> ports = scanPorts(devRoot_);
    for (size_t i = 0; i < std::min(ports.size(), descriptions.size()); ++i) {
        copyDescription(descriptions[i], productString(sysRoot_, ports[i]));
    }
    *count = static_cast<int32_t>(ports.size());
    return DeviceStatus::Ok;
}

DeviceStatus SerialDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    if (!explicitPort_.empty()) {
        if (!locations.empty()) locations[0] = 0;
        *count = 1;
        return DeviceStatus::Ok;
    }
    const std::vector<uint32_t> ports = scanPorts(devRoot_);
    std::copy_n(ports.begin(), std::min(ports.size(), locations.size()), locations.begin());
    *count = static_cast<int32_t>(ports.size());
    return DeviceStatus::Ok;
}

DeviceStatus SerialDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    if (!explicitPort_.empty()) {
        if (location != 0) {
            device->reset();
            return DeviceStatus::DeviceNotFound;
        }
        return openPort(explicitPort_, device);
    }
    return openPort(devRoot_ + "/" + kPortPrefix + std::to_string(location), device);
}

}  // namespace vespian
