#pragma once
// A program started as a child process for tests that need a real process: its standard output
// read line by line as it comes, and a real kill (SIGKILL) in the middle of its work.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vespian::testing {

class ChildProcess {
public:
    // Starts `program` with `arguments` in `workingFolder` (empty: the current one), with the
    // extra environment entries ("NAME=value"); standard error goes to standard output.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingFolder = {}, const std::vector<std::string>& environment = {});
    ~ChildProcess();  // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The next whole line of output, waiting at most `limit`; none when the time is up or the
    // output has ended.
    std::optional<std::string> readLine(std::chrono::milliseconds limit);
    // SIGKILL, then waits for the child to end.
    void kill();
    // Waits for the child to end by itself; its exit status, or −1.
    int wait();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    bool ended_ = false;
};

}  // namespace vespian::testing
