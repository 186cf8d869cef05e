#pragma once
// Helpers of the archive tests: saved traces, registrations of them, child processes that work
// on an archive while the test watches, and the scratch PostgreSQL server of the test run.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "archive/postgres_connection.h"
#include "archive/registration.h"
#include "archive/sha256.h"
#include "archive/workstation.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian::testing {

// A trace of n points saved the program's way; its SHA-256.
inline std::string saveSampleTrace(const std::string& path, int32_t n, float slope = 0.01f) {
    auto trace = std::make_unique<Chromatogram>();
    std::vector<float> signal(static_cast<size_t>(n)), temperature(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        signal[static_cast<size_t>(i)] = slope * static_cast<float>(i % 97);
        temperature[static_cast<size_t>(i)] = 50.0f + 0.1f * static_cast<float>(i);
    }
    trace->replace(signal.data(), temperature.data(), n);
    EXPECT_TRUE(saveTraceFile(path, *trace).ok);
    return sha256OfFile(path).hex;
}

inline Registration traceRegistration(const std::string& path, const std::string& sha, const std::string& sample,
                                      WallMs savedMs) {
    Registration r;
    r.id = newUniqueId();
    r.kind = SaveKind::Trace;
    r.path = path;
    r.sha256 = sha;
    r.traceSha256 = sha;
    r.sample = sample;
    r.sampleWeight = 0.1023;
    r.weightUnit = "g";
    r.method = "NH3-TPD";
    r.operatorName = "lab1";
    r.instrument = "TRV-8800";
    r.instrumentSerial = "SN-0042";
    r.host = "pc-1";
    r.startedMs = savedMs - 3'600'000;
    r.endedMs = savedMs - 1000;
    r.savedMs = savedMs;
    return r;
}

inline Registration evaluationOf(const Registration& trace, const std::string& result, double value, WallMs savedMs) {
    Registration r = trace;
    r.id = newUniqueId();
    r.kind = SaveKind::Evaluation;
    r.path.clear();
    r.sha256.clear();
    r.savedMs = savedMs;
    r.results = {{result, value, value * 0.02, "µmol/g", {"baseline_offset"}}};
    r.parameters = {{"baseline", "linear"}, {"window", {120, 900}}};
    return r;
}

// Runs `work` in a forked child; the child writes lines to `progress` as it goes. The test
// process holds no threads, so forking it is safe.
class ForkedWorker {
public:
    explicit ForkedWorker(const std::function<int(int progressFd)>& work) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            int code = 1;
            try {
                code = work(fds[1]);
            } catch (...) {
            }
            ::_exit(code);
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~ForkedWorker() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (out_ >= 0) ::close(out_);
    }
    // Blocks until the child has written at least `count` lines (or ended); how many it wrote.
    int waitForLines(int count) {
        char c;
        while (lines_ < count && ::read(out_, &c, 1) == 1) {
            if (c == '\n') ++lines_;
        }
        return lines_;
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        wait();
    }
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static void tell(int fd) { (void)!::write(fd, "\n", 1); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int lines_ = 0;
    bool ended_ = false;
};

// The scratch server that the test run started (tests/archive/postgres_scratch.sh), with one
// database per test so that tests running at once keep apart.
class ScratchPostgres {
public:
    static std::optional<std::string> serverConnection(const std::string& stateFile) {
        std::ifstream in(stateFile);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("CONNECTION=", 0) == 0) return line.substr(11);
        }
        return std::nullopt;
    }
    static std::string sharedState() {
        const char* state = std::getenv("VESPIAN_TEST_POSTGRES_STATE");
        return state != nullptr ? state : "";
    }
    static bool required() {
        const char* required = std::getenv("VESPIAN_REQUIRE_POSTGRES");
        return required != nullptr && std::string(required) == "1";
    }

    explicit ScratchPostgres(const std::string& stateFile = sharedState()) {
        const auto server = serverConnection(stateFile);
        if (!server) return;
        server_ = *server;
        database_ = "t" + std::to_string(::getpid()) + "_" + std::to_string(++counter());
        PostgresConnection admin(server_, std::chrono::milliseconds(0));
        available_ = admin.run("CREATE DATABASE " + database_).ok;
    }
    ~ScratchPostgres() {
        if (!available_) return;
        PostgresConnection admin(server_, std::chrono::milliseconds(0));
        admin.run("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    }
    bool available() const { return available_; }
    std::string connection() const { return server_ + " dbname=" + database_; }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::string server_;
    std::string database_;
    bool available_ = false;
};

#define REQUIRE_POSTGRES(server)                                                                  \
    do {                                                                                          \
        if (!(server).available()) {                                                              \
            if (::vespian::testing::ScratchPostgres::required()) FAIL() << "no PostgreSQL server"; \
            GTEST_SKIP() << "no PostgreSQL server (Debian package postgresql)";                  \
        }                                                                                         \
    } while (false)

}  // namespace vespian::testing
