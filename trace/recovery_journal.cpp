#include "trace/recovery_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vespian {

namespace {

constexpr off_t kHeaderBytes = sizeof(JournalHeader);
constexpr int32_t kBufferPoints = 64 * 1024;

off_t pointOffset(int64_t index) { return kHeaderBytes + static_cast<off_t>(index) * sizeof(JournalPoint); }

bool writeAllAt(int fd, const void* data, size_t bytes, off_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::pwrite(fd, p, bytes, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

bool readAllAt(int fd, void* data, size_t bytes, off_t offset) {
    auto* p = static_cast<char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::pread(fd, p, bytes, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads and checks the header: the magic, counts within 0 .. 9,999,999 and not beyond the file.
JournalContents readHeader(int fd, JournalHeader* header) {
    JournalContents c;
    c.found = true;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size < kHeaderBytes || !readAllAt(fd, header, sizeof *header, 0) ||
        std::memcmp(header->magic, kRecoveryJournalMagic, sizeof header->magic) != 0) {
        c.message = "恢复文件已损坏，无法恢复谱图";
        return c;
    }
    if (header->count < 0 || header->count > kLastPointIndex || header->saved < 0) {
        c.message = "恢复文件中的点数超出范围(0-9999999)，无法恢复谱图";
        return c;
    }
    // The count is written after its points, so the file holds them; should it have been cut
    // short all the same, what is there is what can be restored.
    const int64_t present = (static_cast<int64_t>(info.st_size) - kHeaderBytes) / sizeof(JournalPoint);
    c.readable = true;
    c.points = static_cast<int32_t>(std::min<int64_t>(header->count, present));
    c.saved = std::min(header->saved, c.points);
    return c;
}

}  // namespace

JournalContents inspectJournal(const std::string& path) {
    Fd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return {};
    JournalHeader header{};
    return readHeader(file.fd, &header);
}

std::string restoreQuestion(int32_t points) {
    const int32_t seconds = std::max(points, 0) / kPointsPerSecond;
    char text[200];
    std::snprintf(text, sizeof text, "发现上次运行未保存的谱图（%d 点，时长 %d:%02d:%02d），是否恢复？", points,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

RecoveryJournal::RecoveryJournal(std::string path) : path_(std::move(path)) {}

RecoveryJournal::~RecoveryJournal() { closeFile(); }

bool RecoveryJournal::fileExists() const {
    struct stat info {};
    return ::stat(path_.c_str(), &info) == 0;
}

bool RecoveryJournal::openFile() {
    if (fd_ >= 0) return true;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

void RecoveryJournal::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool RecoveryJournal::writeCount(int32_t count) {
    return writeAllAt(fd_, &count, sizeof count, offsetof(JournalHeader, count));
}

void RecoveryJournal::startFresh(const Chromatogram& trace) {
    retire();
    journalGeneration_ = trace.editGeneration();
    savedGeneration_ = trace.editGeneration();
    savedPoints_ = trace.pointCount();
}

JournalRestore RecoveryJournal::restore(Chromatogram& trace) {
    closeFile();
    Fd file{::open(path_.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return {false, 0, "无法打开恢复文件"};
    JournalHeader header{};
    const JournalContents contents = readHeader(file.fd, &header);
    if (!contents.readable) return {false, 0, contents.message};
    // Read aside first: a read that fails half way must leave the trace as it was.
    std::vector<float> signal(static_cast<size_t>(contents.points));
    std::vector<float> temperature(static_cast<size_t>(contents.points));
    std::vector<JournalPoint> chunk(static_cast<size_t>(std::min(contents.points, kBufferPoints)));
    for (int32_t first = 0; first < contents.points; first += kBufferPoints) {
        const int32_t n = std::min(kBufferPoints, contents.points - first);
        if (!readAllAt(file.fd, chunk.data(), static_cast<size_t>(n) * sizeof(JournalPoint), pointOffset(first))) {
            return {false, 0, "无法读取恢复文件"};
        }
        for (int32_t k = 0; k < n; ++k) {
            signal[static_cast<size_t>(first + k)] = chunk[static_cast<size_t>(k)].signalMv;
            temperature[static_cast<size_t>(first + k)] = chunk[static_cast<size_t>(k)].temperatureC;
        }
    }
    trace.replace(signal.data(), temperature.data(), contents.points);
    // The file now holds exactly the trace, and what of it was saved before is saved still.
    journaled_ = contents.points;
    journalGeneration_ = trace.editGeneration();
    savedGeneration_ = trace.editGeneration();
    savedPoints_ = contents.saved;
    return {true, contents.points, {}};
}

bool RecoveryJournal::unsaved(const Chromatogram& trace) const {
    const int32_t count = trace.pointCount();
    return count > 0 && (trace.editGeneration() != savedGeneration_ || count != savedPoints_);
}

void RecoveryJournal::markSaved(const Chromatogram& trace, int32_t points) {
    savedGeneration_ = trace.editGeneration();
    savedPoints_ = points;
    // The journal says so too, so that a crash right after the save offers nothing saved.
    if (fd_ >= 0 && journalGeneration_ == savedGeneration_) {
        const int32_t saved = std::min(points, journaled_);
        if (writeAllAt(fd_, &saved, sizeof saved, offsetof(JournalHeader, saved))) ::fdatasync(fd_);
    }
}

void RecoveryJournal::retire() {
    closeFile();
    ::unlink(path_.c_str());
    journaled_ = 0;
}

bool RecoveryJournal::flush(const Chromatogram& trace) {
    if (!unsaved(trace)) {
        if (journaled_ > 0 || fd_ >= 0 || fileExists()) retire();
        return true;
    }
    const uint64_t generation = trace.editGeneration();
    if (generation != journalGeneration_) {
        journaled_ = 0;  // stored points changed (polarity, a cut, a load, a clear): start over
        journalGeneration_ = generation;
    }
    const int32_t count = trace.pointCount();
    journaled_ = std::min(journaled_, count);
    if (!openFile()) return false;
    if (journaled_ == 0) {
        JournalHeader header{};
        std::memcpy(header.magic, kRecoveryJournalMagic, sizeof header.magic);
        header.count = 0;
        header.saved = 0;
        if (!writeAllAt(fd_, &header, sizeof header, 0)) return false;
    }
    const int32_t end = std::min<int64_t>(count, static_cast<int64_t>(journaled_) + kJournalPointsPerFlush);
    if (end == journaled_) return true;
    if (buffer_.empty()) buffer_.resize(kBufferPoints);
    const float* signal = trace.signalMv();
    const float* temperature = trace.temperatureC();
    for (int32_t first = journaled_; first < end; first += kBufferPoints) {
        const int32_t n = std::min(kBufferPoints, end - first);
        for (int32_t k = 0; k < n; ++k) buffer_[static_cast<size_t>(k)] = {signal[first + k], temperature[first + k]};
        if (!writeAllAt(fd_, buffer_.data(), static_cast<size_t>(n) * sizeof(JournalPoint), pointOffset(first))) {
            return false;
        }
    }
    // The points first, then the count that makes them part of the journal.
    if (::fdatasync(fd_) != 0 || !writeCount(end)) return false;
    int32_t saved = 0;
    if (savedGeneration_ == generation) saved = std::min(savedPoints_, end);
    writeAllAt(fd_, &saved, sizeof saved, offsetof(JournalHeader, saved));
    journaled_ = end;
    // Points an earlier, longer trace left beyond the count go.
    if (end == count) {
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && info.st_size > pointOffset(end)) (void)::ftruncate(fd_, pointOffset(end));
    }
    return true;
}

}  // namespace vespian
