#include "link/device_chain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/instrument_link.h"
#include "support/fake_link_driver.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using testing::FakeLinkDriver;
using Texts = std::vector<std::string>;

class DeviceChainTest : public ::testing::Test {
protected:
    DeviceChainTest() {
        auto firstDriver = std::make_unique<FakeLinkDriver>();
        auto secondDriver = std::make_unique<FakeLinkDriver>();
        first = firstDriver.get();
        second = secondDriver.get();
        chain.add(std::move(firstDriver));
        chain.add(std::move(secondDriver));
    }

    std::vector<std::string> descriptions(int32_t* count) {
        char buffers[8][kDescriptionBufferSize] = {};
        char* pointers[8];
        for (int i = 0; i < 8; ++i) pointers[i] = buffers[i];
        EXPECT_EQ(chain.listByDescription(pointers, count), DeviceStatus::Ok);
        std::vector<std::string> texts;
        for (int i = 0; i < std::min(*count, 8); ++i) texts.emplace_back(buffers[i]);
        return texts;
    }

    std::vector<uint32_t> locations() {
        uint32_t ids[8] = {};
        int32_t count = 0;
        EXPECT_EQ(chain.listByLocation(ids, &count), DeviceStatus::Ok);
        return {ids, ids + std::min(count, 8)};
    }

    DeviceChain chain;
    FakeLinkDriver* first;
    FakeLinkDriver* second;
};

TEST_F(DeviceChainTest, ListsSourcesInOrderUnderUniqueIds) {
    first->setDevices({{"TRV-8800", 5}, {"FT232R USB UART", 6}});
    second->setDevices({{"TRV-8800", 5}, {"", 0}});
    int32_t count = 0;
    EXPECT_EQ(descriptions(&count), (Texts{"TRV-8800", "FT232R USB UART", "TRV-8800", ""}));
    EXPECT_EQ(count, 4);
    std::vector<uint32_t> ids = locations();
    ASSERT_EQ(ids.size(), 4u);
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_NE(ids[i], 0u);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(ids[i], ids[j]);
    }

    // The same location 5 in both sources: the chain's id says which one is meant.
    first->clearEvents();
    second->clearEvents();
    std::unique_ptr<Device> device;
    ASSERT_EQ(chain.openByLocation(ids[2], &device), DeviceStatus::Ok);
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(second->eventTexts(), Texts{"open 5"});
    EXPECT_TRUE(first->eventTexts().empty());
    device.reset();
    ASSERT_EQ(chain.openByLocation(ids[1], &device), DeviceStatus::Ok);
    EXPECT_EQ(first->eventTexts(), Texts{"open 6"});
}

TEST_F(DeviceChainTest, FailingSourceIsSkipped) {
    first->setDevices({{"TRV-8800", 1}});
    second->setDevices({{"USB Serial", 2}, {"TRV-8800", 3}});
    first->failListByLocation(DeviceStatus::IoError);  // a half-working source must not shift the lists
    int32_t count = 0;
    EXPECT_EQ(descriptions(&count), (Texts{"USB Serial", "TRV-8800"}));
    std::vector<uint32_t> ids = locations();
    ASSERT_EQ(ids.size(), 2u);
    std::unique_ptr<Device> device;
    second->clearEvents();
    ASSERT_EQ(chain.openByLocation(ids[1], &device), DeviceStatus::Ok);
    EXPECT_EQ(second->eventTexts(), Texts{"open 3"});

    second->failListByDescription(DeviceStatus::OtherError);
    char buffer[kDescriptionBufferSize];
    char* pointers[1] = {buffer};
    EXPECT_EQ(chain.listByDescription(pointers, &count), DeviceStatus::IoError);
}

TEST_F(DeviceChainTest, UnknownIdsOpenNothing) {
    first->setDevices({{"TRV-8800", 1}});
    locations();
    std::unique_ptr<Device> device;
    EXPECT_EQ(chain.openByLocation(0, &device), DeviceStatus::DeviceNotFound);
    EXPECT_EQ(chain.openByLocation(2, &device), DeviceStatus::DeviceNotFound);
    EXPECT_EQ(device, nullptr);
}

TEST_F(DeviceChainTest, LinkFindsTheAnalyserInTheSecondSource) {
    first->setDevices({{"FT232R USB UART", 0x2131}});
    second->setDevices({{"TRV-8800", 0}});
    Chromatogram chromatogram;
    InstrumentReadings readings;
    InstrumentLink link(chain, chromatogram, readings);
    ASSERT_TRUE(link.open());
    EXPECT_EQ(second->openHandles(), 1);
    EXPECT_EQ(first->openHandles(), 0);
    link.close();
    EXPECT_EQ(second->openHandles(), 0);
}

}  // namespace
}  // namespace vespian
