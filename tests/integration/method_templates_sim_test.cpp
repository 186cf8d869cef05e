// Every shipped method template run to its end on the simulated analyser, its frames decoded
// as the acquisition thread decodes them, the runner ticked as the display would tick it with
// the simulator at 60× (a tick carries 6 s of instrument time). The analyser is stepped period by
// period, so the run does not depend on the machine's pace. Each template's evaluation is
// checked against what the simulator holds: the Tm values against its kinetics, the titration's
// uptake against what its metal surface took.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "control/control_state.h"
#include "files/test_report.h"
#include "method/method_runner.h"
#include "method/method_templates.h"
#include "method/run_evaluation.h"
#include "sim/desorption_sites.h"
#include "sim/reducible_sample.h"
#include "sim/simulated_analyser.h"
#include "sim/stream_reader.h"
#include "trace/quant_peak.h"

namespace vespian {
namespace {

constexpr long kPeriodsPerTick = 30;  // 100 ms of a 60× simulator
constexpr double kGasConstant = 8.314;

// The temperature (℃) of the rate maximum of a first-order process ν·exp(−E/RT) heated at
// `rateCPerMin`: E·β/(R·T²) = ν·exp(−E/(R·T)), solved by bisection.
double firstOrderPeakC(double energy, double frequency, double rateCPerMin) {
    const double beta = rateCPerMin / 60.0;
    double low = 300.0, high = 1500.0;
    for (int i = 0; i < 100; ++i) {
        const double t = 0.5 * (low + high);
        const double f = energy * beta / (kGasConstant * t * t) - frequency * std::exp(-energy / (kGasConstant * t));
        (f > 0.0 ? low : high) = t;
    }
    return 0.5 * (low + high) - 273.15;
}

MethodFile templateNamed(const std::string& fileName) {
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == fileName) return t.method;
    }
    ADD_FAILURE() << fileName;
    return {};
}

struct TemplateRun {
    sim::SimulatedAnalyser analyser{41};
    sim::testing::StreamReader reader;
    ControlState control{};
    FlowChannels flows{};
    MethodRunner runner{control, flows};
    std::unique_ptr<TestReport> report = std::make_unique<TestReport>();
    std::unique_ptr<QuantPeak> quant = std::make_unique<QuantPeak>();
    std::vector<Command> sent;
    std::vector<EvaluationOutcome> evaluations;

    RunnerInput input() {
        Chromatogram& trace = reader.chromatogram;
        while (trace.takeOverPoint()) {
        }
        RunnerInput in;
        in.nowS = analyser.instrumentSeconds();
        in.signalMv = trace.signalMv();
        in.temperatureC = trace.temperatureC();
        in.pointCount = trace.shownCount();
        in.furnaceC = reader.readings.temperatureC.load();
        in.alarmCode = reader.readings.alarmCode.load();
        return in;
    }
    void carryOut(const RunnerOutput& out, const MethodFile& method) {
        for (const Command& frame : out.frames) {
            analyser.receive(frame.bytes.data(), frame.length);
            sent.push_back(frame);
        }
        for (const RunRequest& request : out.requests) {
            if (request.kind == RunRequestKind::ZeroSignal) reader.chromatogram.zeroSignal();
            if (request.kind == RunRequestKind::Evaluate) {
                evaluations.push_back(evaluateRun(request.report, method, runner.results(), reader.chromatogram, *report,
                                                  *quant, {2024, 5, 1}));
            }
        }
    }
    void run(const MethodFile& method, double maxHours) {
        sim::testing::send(analyser, StartStream());
        sim::testing::run(analyser, 100, &reader);
        carryOut(runner.start(method, input()), method);
        const long maxTicks = static_cast<long>(maxHours * 3600.0 / (kPeriodsPerTick * sim::kPeriodSeconds));
        for (long tick = 0; tick < maxTicks && runner.active(); ++tick) {
            sim::testing::run(analyser, kPeriodsPerTick, &reader);
            carryOut(runner.tick(input()), method);
        }
    }
    // The run went to its end, every frame reached the analyser as a command, and the analyser
    // holds what the control windows show.
    void expectCompletedAndHeld() {
        EXPECT_EQ(runner.progress(0).end, RunEnd::Completed) << runner.progress(0).endMessage;
        EXPECT_EQ(analyser.commandsReceived(), static_cast<int>(sent.size()) + 1) << "StartStream and the run's";
        EXPECT_EQ(analyser.bytesSkipped(), 0);
        for (int k = 0; k < kValveCount; ++k) EXPECT_EQ(analyser.valveOn(k), control.valves.state[k] != 0) << k;
        for (int n = 1; n <= 2; ++n) {
            const FlowChannel& channel = flows.channel[static_cast<size_t>(n - 1)];
            if (gasNameOf(channel).empty()) continue;
            EXPECT_EQ(analyser.gasCode(n), kGasTable[static_cast<size_t>(channel.gasIndex)].gasCode) << n;
            EXPECT_EQ(analyser.flowSetpoint(n), channel.setpoint) << n;
        }
        EXPECT_FALSE(analyser.programRunning());
        ASSERT_EQ(evaluations.size(), 1u);
        EXPECT_TRUE(evaluations[0].ok) << evaluations[0].message;
    }
    std::vector<float> tm() const {
        const TestReportHeader& h = report->header();
        return std::vector<float>(h.tmValues, h.tmValues + h.tmCount);
    }
};

TEST(MethodTemplatesOnTheSimulator, Nh3TpdFindsTheThreeSitesWithin5Degrees) {
    TemplateRun run;
    run.run(templateNamed("nh3_tpd.json"), 6.0);
    run.expectCompletedAndHeld();
    const std::vector<float> tm = run.tm();
    ASSERT_EQ(tm.size(), sim::kAdsorptionSites.size()) << run.evaluations[0].message;
    for (size_t i = 0; i < tm.size(); ++i) {
        const sim::AdsorptionSite& site = sim::kAdsorptionSites[i];
        EXPECT_NEAR(tm[i], firstOrderPeakC(site.energyJPerMol, site.frequencyPerS, 10.0), 5.0) << i;
    }
    // The frames of the first steps, byte for byte: helium 30 on channel 1, then the
    // pretreatment programme's segment and start.
    ASSERT_GE(run.sent.size(), 3u);
    const std::vector<uint8_t> helium(run.sent[0].bytes.begin(), run.sent[0].bytes.begin() + run.sent[0].length);
    EXPECT_EQ(helium, (std::vector<uint8_t>{0x3B, 0x12, 0x00, 0x1E}));
    const std::vector<uint8_t> segment(run.sent[1].bytes.begin(), run.sent[1].bytes.end());
    EXPECT_EQ(segment, (std::vector<uint8_t>{0x3E, 0x01, 0x01, 0xF4, 0x0A, 0x00, 0x1E, 0x00}));
}

TEST(MethodTemplatesOnTheSimulator, TprFindsBothOxidesWithin5Degrees) {
    TemplateRun run;
    run.run(templateNamed("tpr.json"), 6.0);
    run.expectCompletedAndHeld();
    const std::vector<float> tm = run.tm();
    ASSERT_EQ(tm.size(), sim::kOxideSpecies.size()) << run.evaluations[0].message;
    for (size_t i = 0; i < tm.size(); ++i) {
        const sim::RedoxKinetics& k = sim::kOxideSpecies[i].reduction;
        EXPECT_NEAR(tm[i], firstOrderPeakC(k.energyJPerMol, k.frequencyPerS, 10.0), 5.0) << i;
    }
    for (size_t s = 0; s < sim::kOxideSpecies.size(); ++s) {
        EXPECT_LT(run.analyser.oxidisedFraction(static_cast<int>(s)), 0.01) << "reduced through";
    }
}

TEST(MethodTemplatesOnTheSimulator, TpoBurnsTheCarbonOff) {
    TemplateRun run;
    run.run(templateNamed("tpo.json"), 6.0);
    run.expectCompletedAndHeld();
    const std::vector<float> tm = run.tm();
    ASSERT_EQ(tm.size(), 1u) << run.evaluations[0].message;
    EXPECT_NEAR(tm[0], firstOrderPeakC(sim::kCarbonBurn.energyJPerMol, sim::kCarbonBurn.frequencyPerS, 10.0), 5.0);
    EXPECT_LT(run.analyser.carbonLeft(), 0.01);
}

TEST(MethodTemplatesOnTheSimulator, TitrationStopsAtSaturationWithTheUptakeWithin2PercentOfTheSurface) {
    TemplateRun run;
    run.run(templateNamed("h2_o2_titration.json"), 6.0);
    run.expectCompletedAndHeld();
    ASSERT_TRUE(run.runner.results().pulses.has_value());
    const RunPulseSeries& series = *run.runner.results().pulses;
    EXPECT_TRUE(series.saturated);
    EXPECT_LT(series.pulses.size(), 20u) << "stopped before its maximum";
    ASSERT_EQ(run.analyser.loopPulses(), static_cast<int>(series.pulses.size()));
    double taken = 0.0;
    for (int i = 0; i < run.analyser.loopPulses(); ++i) taken += run.analyser.loopPulseTaken(i);
    // Hydrogen on the oxygen-covered surface: 3/2 H2 for every surface atom.
    EXPECT_NEAR(taken, 1.5 * sim::MetalSurface::kSurfaceAtomsMl, 1e-6);
    EXPECT_NEAR(run.report->header().adsorbedVolumeMl, taken, 0.02 * taken) << run.evaluations[0].message;
}

TEST(MethodTemplatesOnTheSimulator, PulseChemisorptionRunsToItsReport) {
    TemplateRun run;
    run.run(templateNamed("pulse_chemisorption.json"), 6.0);
    run.expectCompletedAndHeld();
    ASSERT_TRUE(run.runner.results().pulses.has_value());
    EXPECT_TRUE(run.runner.results().pulses->saturated);
    EXPECT_FLOAT_EQ(run.report->header().stoichiometry, 2.0f);
}

}  // namespace
}  // namespace vespian
