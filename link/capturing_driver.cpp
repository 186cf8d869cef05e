#include "link/capturing_driver.h"

namespace vespian {

namespace {

class CapturingDevice final : public Device {
public:
    CapturingDevice(std::unique_ptr<Device> inner, std::shared_ptr<CaptureWriter> writer,
                    std::chrono::steady_clock::time_point started)
        : inner_(std::move(inner)), writer_(std::move(writer)), started_(started) {}

    DeviceStatus setBaudRate(uint32_t baud) override { return inner_->setBaudRate(baud); }
    DeviceStatus setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        return inner_->setDataCharacteristics(wordLength, stopBits, parity);
    }
    DeviceStatus setTimeouts(uint32_t readMs, uint32_t writeMs) override { return inner_->setTimeouts(readMs, writeMs); }
    DeviceStatus purge(uint32_t mask) override { return inner_->purge(mask); }
    DeviceStatus setLatencyTimer(uint8_t milliseconds) override { return inner_->setLatencyTimer(milliseconds); }
    DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) override {
        return inner_->write(bytes, length, written);
    }
    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        const DeviceStatus status = inner_->read(buffer, length, received);
        if (*received > 0) {
            const auto elapsed = std::chrono::steady_clock::now() - started_;
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
            writer_->append(buffer, *received, static_cast<uint32_t>(ms));
        }
        return status;
    }
    DeviceStatus close() override { return inner_->close(); }

private:
    std::unique_ptr<Device> inner_;
    std::shared_ptr<CaptureWriter> writer_;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace

CapturingDriver::CapturingDriver(std::unique_ptr<DeviceDriver> inner)
    : inner_(std::move(inner)), writer_(std::make_shared<CaptureWriter>()), started_(std::chrono::steady_clock::now()) {}

DeviceStatus CapturingDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    return inner_->listByDescription(descriptions, count);
}

DeviceStatus CapturingDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    return inner_->listByLocation(locations, count);
}

DeviceStatus CapturingDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    std::unique_ptr<Device> opened;
    const DeviceStatus status = inner_->openByLocation(location, &opened);
    device->reset();
    if (status == DeviceStatus::Ok && opened != nullptr) {
        *device = std::make_unique<CapturingDevice>(std::move(opened), writer_, started_);
    }
    return status;
}

}  // namespace vespian
