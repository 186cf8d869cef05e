#include "control/guide_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "control/gas_table.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

constexpr GuideKind kAll[] = {GuideKind::Tpd, GuideKind::Tpo, GuideKind::Tpr, GuideKind::Titration};

std::optional<GasEntry> gasNamed(std::string_view name) {
    for (const GasEntry& gas : kGasTable) {
        if (gas.name == name) return gas;
    }
    return std::nullopt;
}

TEST(GuidePages, WindowsAndPictures) {
    EXPECT_EQ(guideInfo(GuideKind::Tpd).title, "TPD操作说明");
    EXPECT_EQ(guideInfo(GuideKind::Tpd).pictureHeight, 1312);
    EXPECT_EQ(guideInfo(GuideKind::Tpd).windowHeight, 700);
    EXPECT_EQ(guideInfo(GuideKind::Titration).title, "氢氧滴定操作说明");
    EXPECT_EQ(guideInfo(GuideKind::Titration).pictureHeight, 3600);
    EXPECT_EQ(guideInfo(GuideKind::Titration).scrolling, GuideScrolling::ClientHeightSteps);
    for (int32_t id = 1025; id <= 1028; ++id) {
        ASSERT_TRUE(guideForCommand(id).has_value());
        EXPECT_EQ(guideInfo(*guideForCommand(id)).commandId, id);
    }
    EXPECT_FALSE(guideForCommand(1024).has_value());
}

// Every step fits its picture, every flow is one the flow dialog accepts for that gas, and
// every programme segment one the programme dialog accepts.
TEST(GuidePages, ContentsAreOnesTheProgramAccepts) {
    for (GuideKind kind : kAll) {
        const GuideLayout layout = layoutGuide(kind);
        EXPECT_TRUE(layout.fits) << static_cast<int>(kind) << ": " << layout.contentHeight;
        ASSERT_EQ(layout.count, static_cast<int32_t>(guideSteps(kind).size()));
        EXPECT_EQ(layout.steps[0].top, kGuideTitleBand);
        const GuideStepPlace& last = layout.steps[static_cast<size_t>(layout.count - 1)];
        EXPECT_LE(last.top + last.height, guideInfo(kind).pictureHeight);
        EXPECT_GE(last.top + last.height, guideInfo(kind).pictureHeight - kGuideBottomMargin - layout.count);
        for (const GuideStep& step : guideSteps(kind)) {
            EXPECT_FALSE(step.heading.empty());
            if (step.flows) {
                for (auto [name, flow] : {std::pair{step.flows->gas1, step.flows->flow1},
                                          std::pair{step.flows->gas2, step.flows->flow2}}) {
                    const std::optional<GasEntry> gas = gasNamed(name);
                    ASSERT_TRUE(gas.has_value()) << name;
                    EXPECT_GE(flow, 1);
                    EXPECT_LE(flow, gas->maxFlow) << name;
                }
            }
            for (const ProgramSegment& s : step.programme) {
                if (!s.defined) continue;
                EXPECT_GE(s.targetC, kMinTargetC);
                EXPECT_LE(s.targetC, kMaxTargetC);
                EXPECT_GE(s.rateCPerMin, kMinRateCPerMin);
                EXPECT_LE(s.rateCPerMin, kMaxRateCPerMin);
                EXPECT_GE(s.holdMin, kMinHoldMin);
                EXPECT_LE(s.holdMin, kMaxHoldMin);
            }
            // Lines beside a diagram must leave it room: at most 30 characters' worth.
            const bool diagram = step.valves.has_value() || step.pulses || step.programme[0].defined;
            for (std::string_view line : step.lines) {
                EXPECT_LE(gbkLength(line), diagram ? 56u : 100u) << line;
            }
        }
    }
}

// The guides and the wizard agree on which gas goes to which port.
TEST(GuidePages, PreparationMatchesTheGuides) {
    const PreparationInfo& tpd = preparationInfo(GuideKind::Tpd);
    EXPECT_EQ(tpd.title, "TPD测试准备");
    EXPECT_EQ(tpd.stepCaption, "Step 1:");
    EXPECT_EQ(tpd.instruction, "将氮气接入载气口,将氨气接入处理气2.");
    ASSERT_EQ(tpd.portCount, 2);
    EXPECT_EQ(portHighlightX(tpd.ports[0]), 504);
    EXPECT_EQ(portHighlightX(tpd.ports[1]), 635);
    EXPECT_EQ(portHighlightX(GasPort::Treatment1), 569);
    for (GuideKind kind : kAll) {
        const PreparationInfo& prep = preparationInfo(kind);
        EXPECT_EQ(preparationForCommand(prep.commandId), kind);
        const std::string firstStep(guideSteps(kind)[0].lines[0]);
        for (int32_t p = 0; p < prep.portCount; ++p) {
            const std::string_view port = kGasPortNames[static_cast<size_t>(prep.ports[static_cast<size_t>(p)])];
            EXPECT_NE(prep.instruction.find(port.substr(0, port.size() - (port == "载气口" ? 3 : 0))), std::string::npos)
                << prep.instruction;
            EXPECT_NE(firstStep.find(port), std::string::npos) << firstStep;
        }
        // Highlights stay on the port picture.
        for (int32_t p = 0; p < prep.portCount; ++p) {
            const int32_t x = portHighlightX(prep.ports[static_cast<size_t>(p)]);
            EXPECT_GE(x, kPortPictureX);
            EXPECT_LE(x + kPortHighlightWidth, kPortPictureX + kPortPictureWidth);
        }
    }
    EXPECT_FALSE(preparationForCommand(32823).has_value());
}

TEST(GuideScroll, TopAndBottom) {
    GuideScroll scroll(GuideScrolling::TopAndBottom, 1312, 700);
    EXPECT_EQ(scroll.positions(), 2);
    EXPECT_EQ(scroll.offset(), 0);
    scroll.stepDown();
    EXPECT_EQ(scroll.offset(), 612);
    scroll.stepDown();
    EXPECT_EQ(scroll.position(), 1);
    scroll.scrollTo(-5);
    EXPECT_EQ(scroll.offset(), 0);
    GuideScroll small(GuideScrolling::TopAndBottom, 500, 700);
    EXPECT_EQ(small.positions(), 1);
    small.stepDown();
    EXPECT_EQ(small.offset(), 0);
}

TEST(GuideScroll, StepsOfTheClientHeight) {
    GuideScroll scroll(GuideScrolling::ClientHeightSteps, 3600, 600);
    EXPECT_EQ(scroll.positions(), 6);
    scroll.scrollTo(2);
    EXPECT_EQ(scroll.offset(), 1200);
    scroll.scrollTo(5);
    EXPECT_EQ(scroll.offset(), 3000);
    GuideScroll uneven(GuideScrolling::ClientHeightSteps, 3600, 570);
    EXPECT_EQ(uneven.positions(), 7);
    uneven.scrollTo(6);
    EXPECT_EQ(uneven.offset(), 3030) << "the last step ends at the picture's bottom";
    uneven.scrollTo(1);
    EXPECT_EQ(uneven.offset(), 570);
}

TEST(PortBlink, FlipsEachTick) {
    PortBlink blink;
    EXPECT_FALSE(blink.lit());
    EXPECT_EQ(blink.tick(), kBlinkMs);
    EXPECT_TRUE(blink.lit());
    blink.tick();
    EXPECT_FALSE(blink.lit());
}

}  // namespace
}  // namespace vespian
