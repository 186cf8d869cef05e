#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vespian::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingFolder, const std::vector<std::string>& environment) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    // Everything the child needs is prepared before the fork.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) ::_exit(127);
        for (const std::string& e : environment) ::putenv(const_cast<char*>(e.c_str()));
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
    if (pid_ < 0) {
        ::close(out_);
        out_ = -1;
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !ended_) kill();
    if (out_ >= 0) ::close(out_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (out_ < 0) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char buffer[4096];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(out_);
            out_ = -1;
            continue;
        }
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

void ChildProcess::kill() {
    if (pid_ <= 0 || ended_) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    ended_ = true;
}

int ChildProcess::wait() {
    if (pid_ <= 0) return -1;
    if (ended_) return -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vespian::testing
