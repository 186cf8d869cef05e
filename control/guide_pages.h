#pragma once
// The operating guides of the chemisorption tests (TPD, TPO, TPR, H2–O2 pulse titration), the two
// connection views of the analyser and the test-preparation windows of the wizard. These windows
// send nothing and change no data; they show how to prepare and run a test on this analyser.
//
// The contents are data here — steps with their gases, flows, valve positions, furnace programme
// and what to watch — and the desktop layer draws them into tall pictures. The valves are the
// gas-path panel's (valve_panel.h), so a guide's valve diagram is what the panel will show.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "control/furnace_program.h"
#include "control/valve_panel.h"

namespace vespian {

enum class GuideKind : int32_t { Tpd, Tpo, Tpr, Titration };
inline constexpr int32_t kGuideKinds = 4;

// How a guide window scrolls over its picture.
enum class GuideScrolling {
    TopAndBottom,       // a scroll bar with two positions
    ClientHeightSteps,  // steps of the window's client height
};

struct GuideWindowInfo {
    std::string_view title;
    int32_t commandId = 0;  // Help menu entry and panel button
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    GuideScrolling scrolling = GuideScrolling::TopAndBottom;
    std::string_view subtitle;  // what the test measures, under the title of the picture
};
const GuideWindowInfo& guideInfo(GuideKind kind);
std::optional<GuideKind> guideForCommand(int32_t commandId);

// One step of a guide. Lines are the instructions, in order; unused entries are empty.
inline constexpr int32_t kGuideLinesPerStep = 7;
inline constexpr int32_t kGuideProgrammeSegments = 3;

struct GuideFlows {
    std::string_view gas1;  // channel 1 (carrier)
    int32_t flow1 = 0;
    std::string_view gas2;  // channel 2 (treatment / pulse gas)
    int32_t flow2 = 0;
};

struct GuideStep {
    std::string_view heading;
    std::array<std::string_view, kGuideLinesPerStep> lines{};
    std::optional<GuideFlows> flows;                         // the flow dialog's settings
    std::optional<std::array<int8_t, kValveCount>> valves;   // the panel's valve states, 0/1
    std::array<ProgramSegment, kGuideProgrammeSegments> programme{};  // defined ones are drawn
    bool pulses = false;        // draw the pulse train of a titration
    std::string_view watch;     // what to watch in the trace, empty when nothing
};

std::span<const GuideStep> guideSteps(GuideKind kind);

// Where each step sits on the guide's picture: the steps one below the other after the title
// band, each as tall as its contents, the picture's spare height shared out between them.
inline constexpr int32_t kGuideTitleBand = 90;
inline constexpr int32_t kGuideHeadingHeight = 34;
inline constexpr int32_t kGuideLineHeight = 24;
inline constexpr int32_t kGuideDiagramHeight = 170;   // valve diagram or programme sketch
inline constexpr int32_t kGuideStepPadding = 16;
inline constexpr int32_t kGuideBottomMargin = 20;

struct GuideStepPlace {
    int32_t top = 0;
    int32_t height = 0;
    int32_t lines = 0;          // instruction lines used
    bool diagram = false;       // valves, programme or pulses drawn beside the text
};
struct GuideLayout {
    std::array<GuideStepPlace, 12> steps{};
    int32_t count = 0;
    int32_t contentHeight = 0;  // before the spare height is shared out
    bool fits = false;
};
GuideLayout layoutGuide(GuideKind kind);

// The scrolling rules of a guide window.
class GuideScroll {
public:
    GuideScroll(GuideScrolling scrolling, int32_t pictureHeight, int32_t clientHeight);
    int32_t positions() const;  // scroll bar positions, at least 1
    int32_t position() const { return position_; }
    int32_t offset() const;     // picture row at the top of the window
    void scrollTo(int32_t position);
    void stepDown() { scrollTo(position_ + 1); }
    void stepUp() { scrollTo(position_ - 1); }

private:
    GuideScrolling scrolling_;
    int32_t pictureHeight_;
    int32_t clientHeight_;
    int32_t position_ = 0;
};

// --- Connection views ------------------------------------------------------------------------
// The analyser's gas ports, left to right on its rear panel.
enum class GasPort : int32_t { TailGas, Vent, Carrier, Treatment1, Treatment2, Spare };
inline constexpr int32_t kGasPorts = 6;
inline constexpr std::array<std::string_view, kGasPorts> kGasPortNames = {"尾气出口", "放空口", "载气口",
                                                                         "处理气1", "处理气2", "备用口"};

struct ConnectionViewInfo {
    std::string_view title;
    int32_t commandId = 0;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
};
inline constexpr ConnectionViewInfo kRearView{"仪器后视接口图", 32822, 808, 496, 808, 496};
inline constexpr ConnectionViewInfo kRightView{"仪器右视接口图", 32823, 496, 224, 496, 250};

// --- Test preparation (wizard) ----------------------------------------------------------------
inline constexpr int32_t kPreparationWidth = 1000;
inline constexpr int32_t kPreparationHeight = 600;
inline constexpr int32_t kPreparationTop = 100;
inline constexpr int32_t kPortPictureX = 285;
inline constexpr int32_t kPortPictureY = 30;
inline constexpr int32_t kPortPictureWidth = 682;
inline constexpr int32_t kPortPictureHeight = 244;
inline constexpr int32_t kPortFrameY = 22;
inline constexpr int32_t kPortFrameHeight = 252;
inline constexpr int32_t kPortHighlightWidth = 45;
inline constexpr int32_t kPortHighlightHeight = 102;
inline constexpr int32_t kPortHighlightY = 114;  // window coordinates
inline constexpr int32_t kTimerBlink = 9995;
inline constexpr int32_t kBlinkFirstMs = 200;
inline constexpr int32_t kBlinkMs = 400;

// Left edge of a port's highlight in window coordinates (carrier at 504, treatment 2 at 635).
int32_t portHighlightX(GasPort port);

struct PreparationInfo {
    std::string_view title;
    int32_t commandId = 0;
    std::string_view stepCaption;  // "Step 1:"
    std::string_view instruction;
    std::array<GasPort, 3> ports{};
    int32_t portCount = 0;
};
const PreparationInfo& preparationInfo(GuideKind kind);
std::optional<GuideKind> preparationForCommand(int32_t commandId);

// The blinking of the ports: each tick flips the highlight and asks for the next one.
class PortBlink {
public:
    int32_t tick() {
        lit_ = !lit_;
        return kBlinkMs;
    }
    bool lit() const { return lit_; }

private:
    bool lit_ = false;
};

}  // namespace vespian
