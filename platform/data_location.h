#pragma once
// Where the program keeps its settings files (InitData.Set, ZEvid.ini, NewData.ini) and its data
// folder "SAVE". Run from the build tree, as scripts/run does, that is the working folder, as it
// always was. Installed under a prefix (<prefix>/bin/vespian2002), it is one folder of the
// operator's XDG data home, so every operator keeps their own settings and the program never
// writes into whatever folder it happened to be started from.
//
// One place per run, decided once at start: nothing is read from one folder and written to
// another, and a data home that cannot be made is reported instead of falling back elsewhere.

#include <string>

namespace vespian {

// The program's own folder below the XDG data home.
inline constexpr char kDataHomeFolderName[] = "vespian2002";
// CMake leaves this file at the top of every build tree, where our programs are built.
inline constexpr char kBuildTreeMarker[] = "CMakeCache.txt";

enum class DataPlace { WorkingFolder, UserDataHome };

// What the decision looks at, gathered by currentDataLocationInputs() or given by a test.
struct DataLocationInputs {
    std::string executable;     // the running program's file
    std::string workingFolder;  // the current directory
    std::string xdgDataHome;    // $XDG_DATA_HOME, empty when unset
    std::string home;           // $HOME, or the account's home folder; empty when unknown
};

struct DataLocation {
    bool ok = false;
    DataPlace place = DataPlace::WorkingFolder;
    std::string folder;   // the settings files here, "SAVE" below it
    bool created = false;  // the folder did not exist before this start
    std::string message;  // why not, for the operator, when !ok
};

// A program in a build tree: the marker file sits beside it.
bool runsFromBuildTree(const std::string& executable);
// An installed program: <prefix>/bin/<program>, outside a build tree.
bool runsInstalled(const std::string& executable);

// $XDG_DATA_HOME when it is an absolute path (a relative one is ignored, as the XDG rules say),
// else home/.local/share; empty when neither is known.
std::string userDataHome(const std::string& xdgDataHome, const std::string& home);

// The decision alone; the file system is only looked at, never changed.
DataLocation chooseDataLocation(const DataLocationInputs& inputs);

// The decision, and the user data folder created when it is missing (with its parents). The
// working folder is used as it is: its "SAVE" is the program's own business.
DataLocation prepareDataLocation(const DataLocationInputs& inputs);

// This process: /proc/self/exe, the current directory, $XDG_DATA_HOME and $HOME (the password
// database's home when $HOME is unset).
DataLocationInputs currentDataLocationInputs();

}  // namespace vespian
