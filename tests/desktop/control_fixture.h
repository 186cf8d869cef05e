#pragma once
// What the instrument-control windows need, without a main window: the control state, the flows,
// readings, a trace, the scripted prompts, the frames "sent" and a fixed clock.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

#include "control/desktop/control_context.h"
#include "support/scripted_prompts.h"
#include "trace/chromatogram.h"

namespace vespian::testing {

class ControlFixture : public ::testing::Test {
protected:
    ControlFixture() {
        context.send = [this](const Command& c) { sent.emplace_back(c.bytes.begin(), c.bytes.begin() + c.length); };
        context.wallSeconds = [this] { return wallSeconds; };
        context.secondOfDay = [this] { return secondOfDay; };
        context.linkUp = [this] { return linkUp; };
    }

    // A trace of n points whose temperature rises from `fromC` by `perPoint` a point.
    void fillTrace(int32_t n, float fromC, float perPoint) {
        for (int32_t i = 0; i < n; ++i) trace->appendReading(1.0f, fromC + perPoint * static_cast<float>(i));
    }

    static void savePicture(const QImage& image, const char* name) {
        const QString path = QString(VESPIAN_BUILD_DIR) + "/" + name;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
    }

    ControlState control{};
    FlowChannels flows{};
    InstrumentReadings readings;
    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    ScriptedPrompts prompts;
    std::vector<std::vector<uint8_t>> sent;
    int64_t wallSeconds = 1'700'000'000;
    int32_t secondOfDay = 9 * 3600;  // 09:00
    bool linkUp = true;
    ControlContext context{control, flows, readings, *trace, prompts, {}};
};

}  // namespace vespian::testing
