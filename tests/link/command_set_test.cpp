#include "link/command_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

std::vector<uint8_t> bytes(const Command& command) {
    auto view = command.view();
    return {view.begin(), view.end()};
}

using Bytes = std::vector<uint8_t>;

TEST(CommandSet, SingleByteAndModeCommands) {
    EXPECT_EQ(bytes(StartStream()), Bytes{0x37});
    EXPECT_EQ(bytes(Halt()), Bytes{0x48});
    EXPECT_EQ(bytes(MeasureOn()), (Bytes{0x44, 0x45}));
    EXPECT_EQ(bytes(CalibrationOn()), (Bytes{0x41, 0x42}));
}

TEST(CommandSet, ProgramFramesAreBigEndianEightBytes) {
    EXPECT_EQ(bytes(ProgramFrame(1, 1000, 10, 120)), (Bytes{0x3E, 0x01, 0x03, 0xE8, 0x0A, 0x00, 0x78, 0x00}));
    EXPECT_EQ(bytes(ProgramFrame(10, 0xABCD, 0xFF, 0x1234)), (Bytes{0x3E, 0x0A, 0xAB, 0xCD, 0xFF, 0x12, 0x34, 0x00}));
    EXPECT_EQ(bytes(ProgramStartFrame()), (Bytes{0x3E, 0, 0, 0, 0, 0, 0, 0x30}));
    EXPECT_EQ(bytes(ProgramStopFrame()), (Bytes{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
    EXPECT_EQ(bytes(ProgramStopFrame(3, 500, 20, 30)), (Bytes{0x3E, 0x03, 0x01, 0xF4, 0x14, 0x00, 0x1E, 0x31}));
}

TEST(CommandSet, FlowFrameCarriesChannelGasAndSetpoint) {
    EXPECT_EQ(bytes(FlowFrame(1, 1, 50)), (Bytes{0x3B, 0x11, 0x00, 0x32}));
    EXPECT_EQ(bytes(FlowFrame(4, 12, 0x0102)), (Bytes{0x3B, 0x4C, 0x01, 0x02}));
    EXPECT_EQ(bytes(FlowFrame(2, 15, 999)), (Bytes{0x3B, 0x2F, 0x03, 0xE7}));
}

TEST(CommandSet, ValveAndCleaningFrames) {
    EXPECT_EQ(bytes(ValveFrame(0, true)), (Bytes{0x3A, 0x10}));
    EXPECT_EQ(bytes(ValveFrame(7, true)), (Bytes{0x3A, 0x17}));
    EXPECT_EQ(bytes(ValveFrame(0, false)), (Bytes{0x3A, 0x20}));
    EXPECT_EQ(bytes(ValveFrame(7, false)), (Bytes{0x3A, 0x27}));
    EXPECT_EQ(bytes(CleaningFrame(0, true)), (Bytes{0x3C, 0x10}));
    EXPECT_EQ(bytes(CleaningFrame(1, true)), (Bytes{0x3C, 0x11}));
    EXPECT_EQ(bytes(CleaningFrame(0, false)), (Bytes{0x3C, 0x20}));
    EXPECT_EQ(bytes(CleaningFrame(1, false)), (Bytes{0x3C, 0x21}));
}

TEST(CommandSet, InjectorBitsPerPosition) {
    InjectorPositions oneAndThree;
    oneAndThree.position[0] = oneAndThree.position[2] = true;
    EXPECT_EQ(bytes(InjectorCommand(InjectorOperation::Desorb, oneAndThree)), Bytes{0xD6});
    EXPECT_EQ(bytes(InjectorCommand(InjectorOperation::Adsorb, oneAndThree)), Bytes{0xD5});
    InjectorPositions all;
    for (bool& p : all.position) p = true;
    EXPECT_EQ(bytes(InjectorCommand(InjectorOperation::Adsorb, all)), Bytes{0xFD});
    EXPECT_EQ(bytes(InjectorCommand(InjectorOperation::Desorb, InjectorPositions{})), Bytes{0xC2});

    EXPECT_EQ(bytes(AutoDesorbStep(1)), Bytes{0xC4});
    EXPECT_EQ(bytes(AutoDesorbStep(2)), Bytes{0xC8});
    EXPECT_EQ(bytes(AutoDesorbStep(3)), Bytes{0xD0});
    EXPECT_EQ(bytes(AutoDesorbStep(4)), Bytes{0xE0});
}

// An argument out of range must not reach the analyser as some other command: valve 16 would
// read as "valve 0 off", gas code 16 as the next channel, position 0 as a bare injector byte.
TEST(CommandSet, OutOfRangeArgumentsSendNothing) {
    EXPECT_EQ(ValveFrame(-1, true).length, 0u);
    EXPECT_EQ(ValveFrame(8, true).length, 0u);
    EXPECT_EQ(ValveFrame(16, true).length, 0u);
    EXPECT_EQ(CleaningFrame(-1, true).length, 0u);
    EXPECT_EQ(CleaningFrame(2, false).length, 0u);
    EXPECT_EQ(FlowFrame(0, 1, 50).length, 0u);
    EXPECT_EQ(FlowFrame(5, 1, 50).length, 0u);
    EXPECT_EQ(FlowFrame(1, 16, 50).length, 0u);
    EXPECT_EQ(AutoDesorbStep(0).length, 0u);
    EXPECT_EQ(AutoDesorbStep(5).length, 0u);
    EXPECT_EQ(InjectorCommand(static_cast<InjectorOperation>(0), InjectorPositions{}).length, 0u);
    EXPECT_EQ(InjectorCommand(static_cast<InjectorOperation>(3), InjectorPositions{}).length, 0u);
}

}  // namespace
}  // namespace vespian
