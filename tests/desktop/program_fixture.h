#pragma once
// The program in a fresh working folder with the simulated analyser and the scripted prompts,
// for the window's tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop/desktop_program.h"
#include "app/desktop/main_window.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian::testing {

inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

class ProgramFixture : public ::testing::Test {
protected:
    // The simulator at `speed` times real time (0.0001: an instrument that stays quiet).
    void start(double speed = 20.0, bool splash = false) {
        program = std::make_unique<DesktopProgram>(folder.string(), prompts);
        LinkOptions options;
        options.source = LinkOptions::Source::Simulator;
        options.seed = 5;
        options.speed = speed;
        ASSERT_TRUE(program->start(options, splash));
        window()->showNormal();
        window()->resize(1280, 900);
        QApplication::processEvents();
    }

    MainWindow* window() { return program->window(); }
    ProgramState& state() { return program->state(); }
    std::string status(int part) { return window()->statusPartText(part).toStdString(); }

    // A trace of n acquired points of one value and temperature, the last not yet shown, then
    // one display tick.
    void showTrace(int32_t n, float mv, float celsius) {
        std::vector<float> signal(static_cast<size_t>(n), mv), temperature(static_cast<size_t>(n), celsius);
        Chromatogram& trace = *state().chromatogram;
        trace.replace(signal.data(), temperature.data(), n - 1);
        while (trace.pointCount() < n) trace.appendReading(mv, celsius);
        window()->displayTick();
    }

    TestFolder scratch{"main_window"};
    const std::filesystem::path folder = scratch.path();
    ScriptedPrompts prompts;
    std::unique_ptr<DesktopProgram> program;
};

}  // namespace vespian::testing
