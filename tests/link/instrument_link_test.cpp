#include "link/instrument_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/fake_link_driver.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using testing::FakeEvent;
using testing::FakeLinkDriver;
using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

const Texts kOpenSequence = {"list description", "list location", "open 7",  "baud 38400",
                             "data 8 0 0",       "timeouts 1000 1000", "purge 3", "latency 100"};

class InstrumentLinkTest : public ::testing::Test {
protected:
    InstrumentLinkTest() { driver.setThreadProbe([this] { return link.threadRunning(); }); }

    void attachAnalyser() { driver.setDevices({{"FT232R USB UART", 3}, {"TRV-8800", 7}}); }

    // Waits until the acquisition thread has been reading for a while.
    bool waitForReads(long atLeast) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (driver.reads() < atLeast && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return driver.reads() >= atLeast;
    }

    long countOf(const std::string& text) const {
        Texts texts = driver.eventTexts();
        return std::count(texts.begin(), texts.end(), text);
    }

    FakeLinkDriver driver;
    Chromatogram chromatogram;
    InstrumentReadings readings;
    InstrumentLink link{driver, chromatogram, readings};
};

TEST_F(InstrumentLinkTest, OpenConfiguresTheLineInOrder) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    EXPECT_EQ(driver.eventTexts(), kOpenSequence);
    EXPECT_TRUE(link.deviceOpen());
    EXPECT_TRUE(link.paused());
    EXPECT_FALSE(link.threadRunning());
    ASSERT_EQ(link.foundCount(), 1);
    EXPECT_STREQ(link.found(0).description, "TRV-8800");
    EXPECT_EQ(link.found(0).location, 7u);
}

TEST_F(InstrumentLinkTest, FirstOfTwoAnalysersIsOpened) {
    driver.setDevices({{"TRV-8800", 21}, {"USB Serial", 4}, {"TRV-8800", 9}});
    ASSERT_TRUE(link.open());
    ASSERT_EQ(link.foundCount(), 2);
    EXPECT_EQ(link.found(0).location, 21u);
    EXPECT_EQ(link.found(1).location, 9u);
    EXPECT_EQ(countOf("open 21"), 1);
    EXPECT_EQ(countOf("open 9"), 0);
}

TEST_F(InstrumentLinkTest, OnlyTheExactDescriptionCounts) {
    driver.setDevices({{"TRV-8800 ", 1}, {"trv-8800", 2}, {"TRV-88000", 3}, {"TRV-880", 4}, {"", 5}});
    EXPECT_FALSE(link.open());
    EXPECT_EQ(link.foundCount(), 0);
    EXPECT_EQ(driver.eventTexts(), (Texts{"list description", "list location"}));
    EXPECT_FALSE(link.deviceOpen());
}

TEST_F(InstrumentLinkTest, ListingFailureFails) {
    attachAnalyser();
    driver.failListByDescription(DeviceStatus::IoError);
    EXPECT_FALSE(link.open());
    driver.failListByDescription(DeviceStatus::Ok);
    driver.failListByLocation(DeviceStatus::OtherError);
    EXPECT_FALSE(link.open());
    EXPECT_EQ(countOf("open 7"), 0);
    EXPECT_FALSE(link.deviceOpen());
}

TEST_F(InstrumentLinkTest, FailedOpenLeavesTheFlags) {
    attachAnalyser();
    driver.failOpen(DeviceStatus::DeviceNotOpened);
    EXPECT_FALSE(link.open());
    EXPECT_FALSE(link.deviceOpen());
    EXPECT_EQ(countOf("baud 38400"), 0);

    driver.failOpen(DeviceStatus::Ok);
    ASSERT_TRUE(link.open());
    driver.failOpen(DeviceStatus::DeviceNotFound);
    driver.clearEvents();
    EXPECT_FALSE(link.open());
    EXPECT_TRUE(link.deviceOpen());  // stays 1 after a failed reopen
    EXPECT_EQ(driver.openHandles(), 0);
    // Writes on the missing device go nowhere.
    link.send(MeasureOn());
    EXPECT_EQ(countOf("write 44 45"), 0);
}

TEST_F(InstrumentLinkTest, CloseWithoutThreadSendsHaltAndCloses) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    driver.clearEvents();
    const auto started = Clock::now();
    EXPECT_TRUE(link.close());
    // No read time-out (1 s) is waited for; the rest of the bound is room for a busy machine.
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(900));
    EXPECT_EQ(driver.eventTexts(), (Texts{"write 48", "close"}));
    EXPECT_EQ(driver.openHandles(), 0);
}

TEST_F(InstrumentLinkTest, NeverOpenedLinkIsHarmless) {
    link.send(StartStream());
    EXPECT_TRUE(link.close());
    EXPECT_TRUE(driver.eventTexts().empty());
}

TEST_F(InstrumentLinkTest, ReopenClosesTheCurrentHandleFirst) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    driver.clearEvents();
    ASSERT_TRUE(link.open());
    Texts expected = {"close"};
    expected.insert(expected.end(), kOpenSequence.begin(), kOpenSequence.end());
    EXPECT_EQ(driver.eventTexts(), expected);
    EXPECT_EQ(driver.liveDevices(), 1);
}

TEST_F(InstrumentLinkTest, EmptyCommandIsNotWritten) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    driver.clearEvents();
    link.send(ValveFrame(9, true));
    link.send(ValveFrame(2, true));
    EXPECT_EQ(driver.eventTexts(), (Texts{"write 3A 12"}));
}

TEST(InstrumentLinkLifetimeConcurrency, DestructorStopsAndClosesAnOpenLink) {
    FakeLinkDriver driver;
    driver.setDevices({{"TRV-8800", 7}});
    Chromatogram chromatogram;
    InstrumentReadings readings;
    {
        InstrumentLink link(driver, chromatogram, readings);
        ASSERT_TRUE(link.open());
        link.start();
        driver.clearEvents();
    }
    EXPECT_EQ(driver.eventTexts(), (Texts{"write 48", "close"}));
    EXPECT_EQ(driver.liveDevices(), 0);
}

using InstrumentLinkConcurrency = InstrumentLinkTest;

TEST_F(InstrumentLinkConcurrency, StartStreamsIntoTheReadings) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    driver.clearEvents();
    link.start();
    EXPECT_EQ(driver.eventTexts(), Texts{"write 37"});
    EXPECT_TRUE(link.threadRunning());
    EXPECT_FALSE(link.paused());
    driver.feed({0x61, 0x00, 0x03, 0xE8});  // temperature frame: 100.0 ℃
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (readings.temperatureC.load() != 100.0f && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(readings.temperatureC.load(), 100.0f);
}

TEST_F(InstrumentLinkConcurrency, CloseEndsTheThreadBeforeHaltAndClose) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitForReads(5));
    driver.clearEvents();
    EXPECT_TRUE(link.close());
    std::vector<FakeEvent> events = driver.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, "write 48");
    EXPECT_FALSE(events[0].threadRunning);
    EXPECT_EQ(events[1].text, "close");
    EXPECT_FALSE(events[1].threadRunning);
    const long readsAtClose = driver.reads();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(driver.reads(), readsAtClose);
    EXPECT_EQ(driver.readsAfterClose(), 0);
}

TEST_F(InstrumentLinkConcurrency, SecondStartKeepsTheOneThread) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitForReads(3));
    link.start();
    ASSERT_TRUE(waitForReads(driver.reads() + 10));
    EXPECT_EQ(driver.maxConcurrentReaders(), 1);
    EXPECT_EQ(countOf("write 37"), 2);
    EXPECT_TRUE(link.threadRunning());
}

TEST_F(InstrumentLinkConcurrency, ReopenWhileRunningStopsTheThreadFirst) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitForReads(5));
    driver.clearEvents();
    ASSERT_TRUE(link.open());
    std::vector<FakeEvent> events = driver.events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].text, "close");
    EXPECT_FALSE(events[0].threadRunning);
    EXPECT_EQ(driver.readsAfterClose(), 0);
    EXPECT_TRUE(link.paused());
    link.start();
    ASSERT_TRUE(waitForReads(driver.reads() + 5));
    EXPECT_EQ(driver.maxConcurrentReaders(), 1);  // the old thread had ended
}

// A thread that ends at once (the stop flag is still set after close) must clear its flag, or
// the next close would wait for it for ever.
TEST_F(InstrumentLinkConcurrency, ThreadEndingAtOnceDoesNotBlockClose) {
    for (int i = 0; i < 50; ++i) link.ensureAcquisition();  // never opened: ends at once
    attachAnalyser();
    ASSERT_TRUE(link.open());
    link.start();
    link.close();
    for (int i = 0; i < 50; ++i) link.ensureAcquisition();  // stop flag set: ends at once
    const auto started = Clock::now();
    EXPECT_TRUE(link.close());
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
    EXPECT_FALSE(link.threadRunning());
}

TEST_F(InstrumentLinkConcurrency, WatchdogCyclesLeakNothing) {
    attachAnalyser();
    ASSERT_TRUE(link.open());
    link.start();
    constexpr int kCycles = 100;
    for (int i = 0; i < kCycles; ++i) {
        driver.feed({0x62, 0x00, 0x00, 0x00});
        ASSERT_TRUE(link.close());
        ASSERT_TRUE(link.open());
        link.start();
        ASSERT_LE(driver.openHandles(), 1);
        ASSERT_LE(driver.liveDevices(), 1);
    }
    EXPECT_TRUE(link.threadRunning());
    EXPECT_EQ(countOf("write 37"), kCycles + 1);
    EXPECT_EQ(countOf("write 48"), kCycles);
    link.close();
    EXPECT_EQ(driver.openHandles(), 0);
    EXPECT_EQ(driver.liveDevices(), 0);
    EXPECT_EQ(driver.readsAfterClose(), 0);
    EXPECT_FALSE(link.threadRunning());
}

}  // namespace
}  // namespace vespian
