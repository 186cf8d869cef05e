#pragma once
// A method run without a window, for the console recorder: the method is read, validated (its
// errors refuse it, its warnings are printed and the run goes on), and run on the open link with
// the display tick's 100 ms rhythm; one line is printed per step and per event that matters;
// evaluations, saves and the run's journal are carried out as the window would. A journal left
// by a run that died is reported, and the run is taken up again or the analyser made safe only
// when asked to.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace vespian {

class Chromatogram;
class InstrumentLink;
class RecoveryJournal;
class RunObserver;
struct InstrumentReadings;

enum ConsoleRunExit : int {
    kRunExitCompleted = 0,
    kRunExitFilesFailed = 1,    // completed, but a file could not be written
    kRunExitRefused = 2,        // the method file was refused or does not validate
    kRunExitNoData = 3,         // the analyser never sent anything
    kRunExitAlarm = 4,          // ended by an alarm
    kRunExitAborted = 5,        // aborted (by the operator, a wait that timed out)
    kRunExitInterrupted = 6,    // an earlier run died; say --resume or --end-safely
};

struct ConsoleRunOptions {
    std::string methodPath;
    std::string dataFolder = "SAVE";
    std::string journalPath;    // empty: dataFolder/method-run.jnl
    bool resume = false;        // go on with the interrupted run from its next safe step
    bool endSafely = false;     // make the analyser safe after an interrupted run and stop
    // Instrument seconds per wall second (the simulator's speed); 0 or less: the trace's own
    // clock, for a source that delivers as fast as it is read.
    double pace = 1.0;
    // The trace's recovery journal, brought up to date every two seconds as the window does.
    RecoveryJournal* traceJournal = nullptr;
    // The run record and the archive, told of the method, its log and its saves; may be null.
    RunObserver* observer = nullptr;
    // Told when a step (1-based) starts, before its first tick: the simulator's provoked alarm.
    std::function<void(int32_t step)> stepStarted;
};

// Runs until the method ends; `stop` asks for an abort (Ctrl+C). Returns a ConsoleRunExit.
int runMethodOnConsole(const ConsoleRunOptions& options, InstrumentLink& link, Chromatogram& trace,
                       InstrumentReadings& readings, const std::atomic<bool>& stop, std::FILE* out, std::FILE* err);

// The options' usage lines, for --help.
const char* consoleRunUsage();

}  // namespace vespian
