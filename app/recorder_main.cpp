// The console recorder: the whole acquisition path without a window. It opens the analyser (a
// found instrument, a named port, the simulator or a replayed capture), records the trace for
// the given time with the link watchdog running, writes a trace file and prints the point
// count and the last temperature. With a recovery journal it keeps the trace recorded so far
// on disk every few seconds, as the window program does. With --method it runs a test method
// instead and prints one line per step.

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/link_options.h"
#include "app/program_state.h"
#include "app/method_archiving.h"
#include "app/run_archiving.h"
#include "app/program_usage.h"
#include "link/capturing_driver.h"
#include "link/instrument_link.h"
#include "link/link_watchdog.h"
#include "link/replay_driver.h"
#include "link/serial_driver.h"
#include "method/console_run.h"
#include "platform/printf_text.h"
#include "sim/simulator_driver.h"
#include "sim/step_alarm.h"
#include "trace/chromatogram.h"
#include "trace/recovery_journal.h"
#include "trace/trace_file.h"

namespace {

using namespace vespian;
using Clock = std::chrono::steady_clock;

constexpr auto kTick = std::chrono::milliseconds(100);
// A silent instrument ends the recording this long after it was due to be complete.
constexpr double kGraceSeconds = 5.0;

struct RecorderOptions {
    double seconds = 10.0;
    std::string out;
    std::string journal;
    bool progress = false;
    ConsoleRunOptions method;  // a method run when its path is set
    std::optional<sim::StepAlarm> stepAlarm;  // the simulator raises it when the run enters its step
};

// Ctrl+C during a method run aborts it, leaving the analyser safe.
std::atomic<bool> gStopMethod{false};
void stopMethodRun(int) { gStopMethod.store(true); }

void printUsage() {
    std::printf("用法: vespian-recorder [仪器来源] [--seconds 秒数] [--out 文件.lne]\n"
                "记录谱图（每秒 5 点），写入谱图文件，并显示点数和最后的温度。\n"
                "  --seconds 秒数       记录的谱图时长，默认 10 秒\n"
                "  --out 文件           谱图文件，默认不保存\n"
                "  --journal 文件       恢复文件：每 %d 秒写入已记录的谱图，保存后删除\n"
                "  --progress           每秒显示已记录的点数\n%s"
                "  --alarm-at-step 步:码  与 --simulator 和 --method 一起：运行进入该步时模拟仪器报警（码 1–3）\n%s",
                kJournalFlushMs / 1000, consoleRunUsage(),
                linkOptionsUsage().c_str());
}

bool parseRecorderOptions(const std::vector<std::string>& args, RecorderOptions* options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--seconds" || args[i] == "--out" || args[i] == "--journal" || args[i] == "--method" ||
             args[i] == "--data" || args[i] == "--alarm-at-step") &&
            i + 1 >= args.size()) {
            *error = "选项" + args[i] + "后面缺少参数";
            return false;
        }
        if (args[i] == "--seconds") {
            const std::string& text = args[++i];
            const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), options->seconds);
            // At most the whole trace: 10,000,000 points at 5 a second.
            if (failure != std::errc() || rest != text.data() + text.size() || !(options->seconds > 0.0) ||
                options->seconds > 2.0e6) {
                *error = "时长\"" + text + "\"必须是大于0且不超过2000000的秒数";
                return false;
            }
        } else if (args[i] == "--out") {
            options->out = withTraceExtension(args[++i]);
        } else if (args[i] == "--journal") {
            options->journal = args[++i];
        } else if (args[i] == "--progress") {
            options->progress = true;
        } else if (args[i] == "--method") {
            options->method.methodPath = args[++i];
        } else if (args[i] == "--data") {
            options->method.dataFolder = args[++i];
        } else if (args[i] == "--alarm-at-step") {
            options->stepAlarm = sim::parseStepAlarm(args[++i], error);
            if (!options->stepAlarm) return false;
        } else if (args[i] == "--resume") {
            options->method.resume = true;
        } else if (args[i] == "--end-safely") {
            options->method.endSafely = true;
        } else {
            *error = "不能识别的选项\"" + args[i] + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The temperature and the seconds with the point, whatever the terminal's locale.
    usePointDecimalsInProcess();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (asksForHelp(args)) {
        printUsage();
        return 0;
    }
    LinkOptions linkOptions;
    RecorderOptions options;
    std::vector<std::string> rest;
    std::string error;
    if (!parseLinkOptions(args, &linkOptions, &rest, &error) || !parseRecorderOptions(rest, &options, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        printUsage();
        return 2;
    }
    // Only the simulator can be told to raise an alarm, and only a method run has steps.
    const bool methodRun = !options.method.methodPath.empty() || options.method.resume;
    if (options.stepAlarm && (linkOptions.source != LinkOptions::Source::Simulator || !methodRun)) {
        std::fprintf(stderr, "--alarm-at-step 只能与 --simulator 和 --method 一起使用\n");
        return 2;
    }
    DeviceSources sources;
    if (!makeDeviceSources(linkOptions, &sources, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }

    auto chromatogram = std::make_unique<Chromatogram>();
    std::unique_ptr<RecoveryJournal> journal;
    if (!options.journal.empty()) {
        // An earlier run's unsaved trace is not overwritten behind the operator's back.
        if (inspectJournal(options.journal).worthRestoring()) {
            std::fprintf(stderr, "恢复文件%s中有未保存的谱图，请先用程序恢复或删除该文件\n", options.journal.c_str());
            return 2;
        }
        journal = std::make_unique<RecoveryJournal>(options.journal);
        journal->startFresh(*chromatogram);
    }
    InstrumentReadings readings;
    InstrumentLink link(*sources.driver, *chromatogram, readings);
    // The run record of the trace, and the archive of the working folder its save registers in.
    EventLog events;
    RunArchiving archiving(events);
    archiving.recorder().setProgram(kProgramTitle);
    archiving.recorder().setInstrument({kAnalyserDescription, {}, linkOptions.source == LinkOptions::Source::Simulator});
    FlowChannels flows{};
    link.setSendObserver([&](const Command& frame) {
        const int32_t n = chromatogram->pointCount();
        archiving.frameSent(frame, flows, n > 0 ? chromatogram->temperatureC()[n - 1] : 0.0);
    });
    LinkWatchdog watchdog;
    if (link.open()) {
        link.start();
    } else if (linkOptions.source == LinkOptions::Source::Port) {
        // The operator named the port: say which and why it does not open.
        std::string reason = SerialDriver::openFailure(linkOptions.port);
        if (reason.empty()) reason = "无法设置串口参数";
        std::fprintf(stderr, "无法打开串口 %s：%s，每 2.1 秒重试一次\n", linkOptions.port.c_str(), reason.c_str());
    } else {
        std::fprintf(stderr, "未找到仪器 TRV-8800，每 2.1 秒重试一次\n");
    }

    if (!options.method.methodPath.empty() || options.method.resume || options.method.endSafely) {
        options.method.pace = linkOptions.speed;
        options.method.traceJournal = journal.get();
        // The run's saves register in the working folder's archive, its trace with the run record.
        ArchiveSettings where;
        where.dataFolder = options.method.dataFolder;
        where.laboratoryConnection = readLaboratoryConnection(kArchiveSettingsFileName);
        const ArchiveNotice opened = archiving.open(where);
        if (opened.said()) std::fprintf(stderr, "%s\n", opened.statusText.c_str());
        MethodArchiving methodArchiving(
            archiving, [](const ArchiveNotice& notice) { std::fprintf(stderr, "%s\n", notice.statusText.c_str()); },
            true);
        options.method.observer = &methodArchiving;
        sim::StepAlarmTrigger stepAlarm;
        if (options.stepAlarm && sources.simulator != nullptr) {
            stepAlarm.arm(*options.stepAlarm);
            std::printf("模拟仪器：%s\n", sim::stepAlarmText(*options.stepAlarm).c_str());
            options.method.stepStarted = [&stepAlarm, &sources](int32_t step) {
                sim::raiseAtStep(stepAlarm, sources.simulator->analyser(), step);
            };
        }
        std::signal(SIGINT, stopMethodRun);
        std::signal(SIGTERM, stopMethodRun);
        const int status = runMethodOnConsole(options.method, link, *chromatogram, readings, gStopMethod, stdout, stderr);
        link.close();
        return status;
    }

    const int32_t wantedPoints = static_cast<int32_t>(options.seconds * kPointsPerSecond);
    const bool unpaced = linkOptions.speed <= 0.0;
    const double pace = unpaced ? 1.0 : linkOptions.speed;
    const auto started = Clock::now();
    const auto giveUp = started + std::chrono::duration<double>(options.seconds / pace + kGraceSeconds);
    int32_t lastCount = 0;
    auto lastProgress = started;
    auto lastFlush = started;
    auto lastReport = started;
    while (chromatogram->pointCount() < wantedPoints && (unpaced || Clock::now() < giveUp)) {
        std::this_thread::sleep_for(kTick);
        bool arrived = false;
        while (chromatogram->takeOverPoint()) arrived = true;
        if (arrived) {
            watchdog.pointsArrived();
            lastProgress = Clock::now();
        } else if (watchdog.tick()) {
            link.reconnect();
        }
        // Unpaced sources end when they run dry: the replay is over, or nothing came for a while.
        if (unpaced && !arrived && Clock::now() - lastProgress > std::chrono::duration<double>(kGraceSeconds)) break;
        if (sources.replay != nullptr && sources.replay->finished() && chromatogram->pointCount() == lastCount &&
            !arrived) {
            break;
        }
        lastCount = chromatogram->pointCount();
        const auto now = Clock::now();
        if (journal && now - lastFlush >= std::chrono::milliseconds(kJournalFlushMs)) {
            lastFlush = now;
            if (!journal->flush(*chromatogram)) std::fprintf(stderr, "无法写入恢复文件%s\n", options.journal.c_str());
        }
        if (options.progress && now - lastReport >= std::chrono::seconds(1)) {
            lastReport = now;
            std::printf("已记录: %d\n", chromatogram->pointCount());
            std::fflush(stdout);
        }
    }
    link.close();
    // An unpaced source overshoots within one tick: keep exactly the time asked for.
    if (chromatogram->pointCount() > wantedPoints) {
        chromatogram->replace(chromatogram->signalMv(), chromatogram->temperatureC(), wantedPoints);
    }

    int status = 0;
    if (sources.capture != nullptr && !sources.capture->close()) {
        std::fprintf(stderr, "数据记录文件写入失败: %s\n", linkOptions.capturePath.c_str());
        status = 1;
    }
    const int32_t count = chromatogram->pointCount();
    if (!options.out.empty()) {
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::path(options.out).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
        TraceFileResult saved = saveTraceFile(options.out, *chromatogram);
        if (!saved.ok) {
            std::fprintf(stderr, "%s\n", saved.message.c_str());
            status = 1;
        } else {
            if (journal) journal->markSaved(*chromatogram, saved.points);
            // The archive is told after the save; its failure is said, the save stands.
            ArchiveSettings where;
            where.dataFolder = kDataFolderName;
            where.laboratoryConnection = readLaboratoryConnection(kArchiveSettingsFileName);
            ArchiveNotice notice = archiving.open(where);
            const ArchiveNotice registered = archiving.traceSaved(options.out, saved.points).notice;
            if (!notice.said()) notice = registered;
            if (notice.said()) std::fprintf(stderr, "%s\n", notice.statusText.c_str());
        }
    }
    // Saved: the journal goes; not saved: it keeps the whole recording for the window program.
    if (journal && !journal->flush(*chromatogram)) status = 1;
    const float lastTemperature = count > 0 ? chromatogram->temperatureC()[count - 1] : readings.temperatureC.load();
    std::printf("点数: %d\n温度: %.1f ℃\n", count, static_cast<double>(lastTemperature));
    if (!options.out.empty() && status == 0) std::printf("谱图文件: %s\n", options.out.c_str());
    if (count == 0) {
        std::fprintf(stderr, "未收到数据\n");
        if (status == 0) status = 3;
    }
    return status;
}
