// The whole acquisition path: simulated analyser → (pseudo-terminal → kernel serial backend, or
// the simulator's own device) → instrument link → acquisition thread → trace store, with the
// link watchdog, and the console recorder with capture and replay.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "link/instrument_link.h"
#include "link/link_watchdog.h"
#include "link/serial_driver.h"
#include "sim/simulator_driver.h"
#include "sim/simulator_endpoint.h"
#include "support/child_process.h"
#include "support/test_files.h"
#include "support/pty_pair.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using testing::readBytes;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

TEST(EndToEnd, SimulatorOverAPseudoTerminalThroughTheSerialBackend) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    sim::SimulatorEndpoint endpoint(pty.masterFd(), sim::SimulatorOptions{7, 20.0});
    ASSERT_TRUE(endpoint.start());

    SerialDriver driver = SerialDriver::forPort(pty.slavePath());
    auto chromatogram = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    InstrumentLink link(driver, *chromatogram, readings);
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitFor([&] { return endpoint.analyser().streaming(); }, std::chrono::seconds(5)));

    // At 20× real time 40 points take 0.4 wall seconds.
    ASSERT_TRUE(waitFor([&] { return chromatogram->pointCount() >= 40; }, std::chrono::seconds(20)));
    EXPECT_NEAR(readings.temperatureC.load(), endpoint.analyser().furnaceTemperatureC(), 1.0);
    const float baseline = static_cast<float>(endpoint.analyser().baselineMv());
    for (int32_t i = 5; i < 40; ++i) {
        EXPECT_NEAR(chromatogram->signalMv()[i], baseline, 2.0f) << "point " << i;
    }

    // Commands travel the other way over the same line.
    link.send(FlowFrame(1, 3, 45));
    link.send(ValveFrame(2, true));
    ASSERT_TRUE(waitFor([&] { return endpoint.analyser().flowSetpoint(1) == 45; }, std::chrono::seconds(5)));
    EXPECT_EQ(endpoint.analyser().gasCode(1), 3);
    EXPECT_TRUE(waitFor([&] { return endpoint.analyser().valveOn(2); }, std::chrono::seconds(5)));

    link.close();
    EXPECT_TRUE(waitFor([&] { return !endpoint.analyser().streaming(); }, std::chrono::seconds(5)));  // 'H'
    endpoint.stop();
}

// Unplugging the instrument for a while: the watchdog closes and reopens the link every 2.1 s
// until it is back, and the trace goes on with no one doing anything.
TEST(EndToEnd, SilentLinkIsReopenedByTheWatchdog) {
    sim::SimulatorDriver driver(sim::SimulatorOptions{3, 5.0});
    auto chromatogram = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    InstrumentLink link(driver, *chromatogram, readings);
    ASSERT_TRUE(link.open());
    link.start();
    LinkWatchdog watchdog;
    int reconnects = 0;
    auto tick = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        bool arrived = false;
        while (chromatogram->takeOverPoint()) arrived = true;
        if (arrived) {
            watchdog.pointsArrived();
        } else if (watchdog.tick()) {
            ++reconnects;
            link.reconnect();
        }
    };
    while (chromatogram->pointCount() < 10) tick();

    // Unplugged until the watchdog has tried: judged by its ticks, not by the wall clock, which a
    // busy machine stretches.
    driver.unplug(1.0e6);
    const int32_t before = chromatogram->pointCount();
    const auto limit = Clock::now() + std::chrono::seconds(60);
    while (reconnects < 2 && Clock::now() < limit) tick();
    EXPECT_LE(chromatogram->pointCount(), before + 2);  // nothing (but the odd buffered point) came
    EXPECT_EQ(reconnects, 2);                           // and the watchdog tried, and again

    driver.unplug(0.0);  // plugged in again
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (chromatogram->pointCount() < before + 20 && Clock::now() < deadline) tick();
    EXPECT_GE(chromatogram->pointCount(), before + 20);
    EXPECT_TRUE(link.threadRunning());
    link.close();
}

std::string run(const std::string& arguments) {
    const std::string command = std::string(VESPIAN_RECORDER) + " " + arguments + " 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        output += "exit " + std::to_string(WEXITSTATUS(pclose(pipe)));
    }
    return output;
}

// A run recorded with a capture and the capture replayed give the same trace file.
TEST(EndToEnd, RecorderCaptureReplaysToTheSameTrace) {
    const fs::path folder = fs::temp_directory_path() / ("recorder_end_to_end_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string live = (folder / "live.lne").string();
    const std::string replayed = (folder / "replayed").string();  // ".lne" is appended
    const std::string capture = (folder / "run.cap").string();

    const std::string first = run("--simulator --seed 11 --fast --seconds 120 --out " + live + " --capture " + capture);
    EXPECT_NE(first.find("点数: 600\n"), std::string::npos) << first;
    EXPECT_NE(first.find("exit 0"), std::string::npos) << first;

    const std::string second = run("--replay " + capture + " --fast --seconds 120 --out " + replayed);
    EXPECT_NE(second.find("点数: 600\n"), std::string::npos) << second;
    const std::string bytes = readBytes(live);
    EXPECT_EQ(bytes.size(), 4u + 8u * 600u);
    EXPECT_EQ(readBytes(replayed + ".lne"), bytes);

    EXPECT_NE(run("--replay " + (folder / "missing.cap").string()).find("exit 2"), std::string::npos);
    EXPECT_NE(run("--simulator --port /dev/null").find("exit 2"), std::string::npos);
    EXPECT_NE(run("--seconds abc").find("exit 2"), std::string::npos);
    fs::remove_all(folder);
}

// Options found by fuzzing: absurd speeds are refused at once, naming the range, instead of
// hanging; a named port that does not open is named with the system's reason.
TEST(EndToEnd, RecorderRefusesAbsurdSpeedsAndNamesAPortThatDoesNotOpen) {
    const auto started = Clock::now();
    for (const char* speed : {"1e10", "1e-300"}) {
        const std::string out = run(std::string("--simulator --speed ") + speed + " --seconds 1");
        EXPECT_NE(out.find("超出范围(0.0001-1000)"), std::string::npos) << out;
        EXPECT_NE(out.find("exit 2"), std::string::npos) << out;
    }
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));

    // The recorder says so at once and goes on retrying; its first line is all that matters.
    auto firstLine = [](const std::string& port) {
        testing::ChildProcess recorder(VESPIAN_RECORDER, {"--port", port, "--seconds", "1"});
        return recorder.readLine(std::chrono::seconds(5)).value_or("");
    };
    EXPECT_EQ(firstLine("/dev/vespian-no-such-port"),
              "无法打开串口 /dev/vespian-no-such-port：No such file or directory，每 2.1 秒重试一次");
    EXPECT_EQ(firstLine("/dev/null").rfind("无法打开串口 /dev/null：不是串口终端", 0), 0u);
}

}  // namespace
}  // namespace vespian
