// The gas-path panel's valves and readouts, and the injector dialog.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "control/digit_readout.h"
#include "control/injector_control.h"
#include "control/valve_panel.h"

namespace vespian {
namespace {

std::vector<uint8_t> bytesOf(const Command& command) { return {command.bytes.begin(), command.bytes.begin() + command.length}; }

TEST(ValvePanel, ButtonToggledTwiceSendsOnThenOff) {
    ValveStates valves;
    ValveToggle first = toggleValve(valves, 1094 - kFirstValveButtonId);
    EXPECT_EQ(bytesOf(first.frame), (std::vector<uint8_t>{0x3A, 0x13}));
    EXPECT_EQ(first.caption, "→");
    EXPECT_EQ(valves.state[3], 1);
    ValveToggle second = toggleValve(valves, 3);
    EXPECT_EQ(bytesOf(second.frame), (std::vector<uint8_t>{0x3A, 0x23}));
    EXPECT_EQ(second.caption, "╳");
    EXPECT_EQ(valves.state[3], 0);
    for (int k = 0; k < kValveCount; ++k) {
        ValveStates v;
        EXPECT_EQ(toggleValve(v, k).frame.bytes[1], 0x10 + k);
        EXPECT_EQ(toggleValve(v, k).frame.bytes[1], 0x20 + k);
    }
    EXPECT_EQ(toggleValve(valves, 8).frame.length, 0u);
    EXPECT_EQ(toggleValve(valves, -1).frame.length, 0u);
}

TEST(ValvePanel, ThreeWayCaptions) {
    EXPECT_EQ(valveCaption(6, false, false), " ─→") << "the template's caption before any toggle";
    EXPECT_EQ(valveCaption(6, true, true), "└→");
    EXPECT_EQ(valveCaption(6, false, true), "─→");
    EXPECT_EQ(valveCaption(7, false, false), " ┌→");
    EXPECT_EQ(valveCaption(7, true, true), "↑");
    EXPECT_EQ(valveCaption(0, false, true), "╳");
    ValveStates valves;
    toggleValve(valves, 6);
    EXPECT_EQ(toggleValve(valves, 6).caption, "─→");
}

TEST(DigitReadout, FlowOfFiveLeavesTwoBlankCells) {
    const DigitLayout layout = layoutDigitReadout(5.0, 435);
    // "  5.0": two spaces advance the pen by 26; then 5 at 474, the point at 487, 0 at 493.
    ASSERT_EQ(layout.drawCount, 3);
    EXPECT_EQ(layout.draws[0].image, DigitImage::Digit);
    EXPECT_EQ(layout.draws[0].x, 435 + 13 + 26);
    EXPECT_EQ(layout.draws[0].digit, 5);
    EXPECT_EQ(layout.draws[1].image, DigitImage::Point);
    EXPECT_EQ(layout.draws[1].x, 487);
    EXPECT_EQ(layout.draws[2].x, 493);
    EXPECT_EQ(layout.draws[2].digit, 0);
    EXPECT_EQ(layout.blanks[0].x, 442);
    EXPECT_EQ(layout.blanks[1].x, 448);
    EXPECT_EQ(layout.blanks[6].x, 513);
}

TEST(DigitReadout, TemperatureFillsFourDigitCellsAndThePoint) {
    const DigitLayout layout = layoutDigitReadout(123.4, 830);
    ASSERT_EQ(layout.drawCount, 5);
    const int expectedX[] = {843, 856, 869, 882, 888};
    const int expectedDigit[] = {1, 2, 3, -1, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(layout.draws[i].x, expectedX[i]) << i;
        if (expectedDigit[i] >= 0) {
            EXPECT_EQ(layout.draws[i].digit, expectedDigit[i]) << i;
        }
    }
    EXPECT_EQ(layout.draws[3].image, DigitImage::Point);
    // A minus sign draws nothing and moves the pen on.
    const DigitLayout negative = layoutDigitReadout(-10.0, 0);
    ASSERT_EQ(negative.drawCount, 4);
    EXPECT_EQ(negative.draws[0].x, 26);
    // Values that cannot be shown stay bounded.
    EXPECT_LE(layoutDigitReadout(1e300, 0).drawCount, kMaxReadoutDraws);
    EXPECT_EQ(layoutDigitReadout(std::nan(""), 0).drawCount, 3);
}

TEST(Injectors, CommandMaskAndStates) {
    InjectorState injectors;
    InjectorPress press = pressInjectors(injectors, InjectorOperation::Desorb, {true, false, true, false});
    EXPECT_EQ(bytesOf(press.command), std::vector<uint8_t>{0xD6});
    EXPECT_EQ(injectors.mask, 0b0101);
    EXPECT_TRUE(press.desorb);
    EXPECT_FALSE(press.adsorb);

    press = pressInjectors(injectors, InjectorOperation::Adsorb, {true, true, true, true});
    EXPECT_EQ(bytesOf(press.command), std::vector<uint8_t>{0xFD});
    EXPECT_EQ(press.adsorbed, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(tickedAtOpening(injectors), (std::array<bool, 4>{true, true, true, true}));

    press = pressInjectors(injectors, InjectorOperation::Desorb, {false, true, false, false});
    EXPECT_EQ(press.adsorbed, (std::array<bool, 4>{true, false, true, true})) << "only the ticked one changes";
    EXPECT_EQ(tickedAtOpening(injectors), (std::array<bool, 4>{false, true, false, false}));

    press = pressInjectors(injectors, InjectorOperation::Adsorb, {});
    EXPECT_EQ(bytesOf(press.command), std::vector<uint8_t>{0xC1}) << "no box ticked";
    EXPECT_EQ(injectors.mask, 0);
    EXPECT_EQ(bytesOf(pressInjectors(injectors, InjectorOperation::Desorb, {}).command), std::vector<uint8_t>{0xC2});
    EXPECT_EQ(adsorbedInjectors(injectors), (std::array<bool, 4>{true, false, true, true}));
}

}  // namespace
}  // namespace vespian
