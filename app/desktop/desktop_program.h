#pragma once
// The program from start to end: settings files, the splash with the background painter driving
// its progress bar, the main window and its creation sequence, the event loop, and the ordered
// shutdown (link closed, then the settings files written).

#include <functional>
#include <memory>
#include <string>

#include "app/link_options.h"
#include "app/program_state.h"

namespace vespian {

class ControlWiring;
class DatabaseWiring;
class ListWiring;
class MainWindow;
class MethodWiring;
class PoreViewWiring;
class ReportWiring;
class Prompts;
class SurfaceWiring;
class SplashWindow;

class DesktopProgram {
public:
    DesktopProgram(std::string workingFolder, Prompts& prompts);
    ~DesktopProgram();

    // Start-up up to the running main window. False (with a message shown) when the analyser
    // sources cannot be set up.
    bool start(const LinkOptions& options, bool showSplash = true);
    // Shutdown after the window has closed: link, then settings files.
    void finish();

    ProgramState& state() { return *state_; }
    MainWindow* window() const { return window_.get(); }
    ControlWiring* control() const { return control_.get(); }
    ReportWiring* reports() const { return reports_.get(); }
    // The record database, the surface-area windows and the record lists of the window.
    DatabaseWiring* database() const { return database_.get(); }
    SurfaceWiring* surface() const { return surface_.get(); }
    ListWiring* lists() const { return lists_.get(); }
    PoreViewWiring* poreView() const { return poreView_.get(); }
    // The method editor and the runner.
    MethodWiring* methods() const { return methods_.get(); }

private:
    std::unique_ptr<ProgramState> state_;
    Prompts& prompts_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ControlWiring> control_;  // goes before the window it is wired into
    std::unique_ptr<ReportWiring> reports_;  // gone before the window it is wired into
    std::unique_ptr<DatabaseWiring> database_;
    std::unique_ptr<SurfaceWiring> surface_;
    std::unique_ptr<ListWiring> lists_;
    std::unique_ptr<PoreViewWiring> poreView_;
    std::unique_ptr<MethodWiring> methods_;
    bool finished_ = false;
};

// The process: parses the command line, runs the program, returns the exit code.
int runDesktopProgram(int argc, char** argv);

}  // namespace vespian
