#include "app/link_options.h"

#include <charconv>
#include <cmath>

#include "link/capturing_driver.h"
#include "link/d2xx_driver.h"
#include "link/device_chain.h"
#include "link/replay_driver.h"
#include "link/serial_driver.h"
#include "sim/simulator_driver.h"
#include "sim/simulator_options.h"

namespace vespian {

namespace {

bool parseNumber(const std::string& text, double* value) {
    const char* end = text.data() + text.size();
    auto [rest, failure] = std::from_chars(text.data(), end, *value);
    return failure == std::errc() && rest == end && std::isfinite(*value);
}

bool parseSeed(const std::string& text, uint64_t* value) {
    const char* end = text.data() + text.size();
    auto [rest, failure] = std::from_chars(text.data(), end, *value);
    return failure == std::errc() && rest == end && !text.empty();
}

}  // namespace

bool parseLinkOptions(const std::vector<std::string>& args, LinkOptions* options, std::vector<std::string>* rest,
                      std::string* error) {
    *options = LinkOptions{};
    rest->clear();
    bool fast = false;
    bool speedGiven = false;
    int sources = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--seed" || arg == "--speed" || arg == "--port" || arg == "--replay" ||
                                arg == "--capture";
        if (takesValue && i + 1 >= args.size()) {
            *error = "选项" + arg + "后面缺少参数";
            return false;
        }
        if (arg == "--simulator") {
            options->source = LinkOptions::Source::Simulator;
            ++sources;
        } else if (arg == "--port") {
            options->source = LinkOptions::Source::Port;
            options->port = args[++i];
            ++sources;
        } else if (arg == "--replay") {
            options->source = LinkOptions::Source::Replay;
            options->replayPath = args[++i];
            ++sources;
        } else if (arg == "--capture") {
            options->capturePath = args[++i];
        } else if (arg == "--seed") {
            if (!parseSeed(args[++i], &options->seed)) {
                *error = "随机种子\"" + args[i] + "\"不是非负整数";
                return false;
            }
        } else if (arg == "--speed") {
            if (!parseNumber(args[++i], &options->speed) || options->speed < sim::kMinSpeed ||
                options->speed > sim::kMaxSpeed) {
                *error = "速度\"" + args[i] + "\"超出范围(0.0001-1000)";
                return false;
            }
            speedGiven = true;
        } else if (arg == "--fast") {
            fast = true;
        } else {
            rest->push_back(arg);
        }
    }
    if (sources > 1) {
        *error = "--simulator、--port 和 --replay 只能选择一个";
        return false;
    }
    if (fast && speedGiven) {
        *error = "--fast 与 --speed 不能同时使用";
        return false;
    }
    if (fast) options->speed = 0.0;
    return true;
}

bool makeDeviceSources(const LinkOptions& options, DeviceSources* sources, std::string* error) {
    *sources = DeviceSources{};
    std::unique_ptr<DeviceDriver> driver;
    switch (options.source) {
    case LinkOptions::Source::Simulator: {
        auto simulator = std::make_unique<sim::SimulatorDriver>(sim::SimulatorOptions{options.seed, options.speed});
        sources->simulator = simulator.get();
        driver = std::move(simulator);
        break;
    }
    case LinkOptions::Source::Port:
        driver = std::make_unique<SerialDriver>(SerialDriver::forPort(options.port));
        break;
    case LinkOptions::Source::Replay: {
        CaptureRecording recording;
        CaptureLoadResult loaded = loadCapture(options.replayPath, &recording);
        if (!loaded.ok) {
            *error = loaded.message;
            return false;
        }
        auto replay = std::make_unique<ReplayDriver>(std::move(recording), options.speed > 0.0);
        sources->replay = replay.get();
        driver = std::move(replay);
        break;
    }
    case LinkOptions::Source::Instruments: {
        auto chain = std::make_unique<DeviceChain>();
        chain->add(std::make_unique<D2xxDriver>());
        chain->add(std::make_unique<SerialDriver>());
        driver = std::move(chain);
        break;
    }
    }
    if (!options.capturePath.empty()) {
        auto capture = std::make_unique<CapturingDriver>(std::move(driver));
        if (!capture->open(options.capturePath)) {
            *error = "无法建立‘" + options.capturePath + "’文件";
            *sources = DeviceSources{};
            return false;
        }
        sources->capture = capture.get();
        driver = std::move(capture);
    }
    sources->driver = std::move(driver);
    return true;
}

std::string linkOptionsUsage() {
    return "  （无选项）           连接的仪器：先 D2XX 驱动库，再 /dev/ttyUSB*\n"
           "  --simulator          只连接模拟仪器；--seed N 随机种子，--speed X 时间倍速，--fast 尽快\n"
           "  --port 路径          指定串口（其他 USB 串口转换器或任意终端设备）\n"
           "  --replay 文件        回放数据记录文件；--fast 尽快回放\n"
           "  --capture 文件       同时把收到的全部字节记录到数据记录文件\n";
}

}  // namespace vespian
