#include "archive/pending_queue.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/replace_file.h"

namespace vespian {

namespace {

// Holds the lock file beside the queue while it lives.
class QueueLock {
public:
    explicit QueueLock(const std::string& queuePath) {
        fd_ = ::open((queuePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~QueueLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;

private:
    int fd_ = -1;
};

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool PendingQueue::append(const nlohmann::json& item, std::string* error) const {
    if (!enabled()) {
        *error = "no pending file";
        return false;
    }
    const std::string line = item.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    QueueLock lock(path_);
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    // A line written only in part (the disk filled up half way) is cut off again, so the file
    // stays a list of whole lines.
    const off_t before = ::lseek(fd, 0, SEEK_END);
    const bool written = writeAll(fd, line) && ::fsync(fd) == 0;
    if (!written) {
        *error = std::strerror(errno);
        if (before >= 0 && ::ftruncate(fd, before) != 0) {
            // Left as it is: the torn line is skipped when the file is read.
        }
    }
    ::close(fd);
    return written;
}

std::vector<nlohmann::json> PendingQueue::readItems() const {
    std::vector<nlohmann::json> items;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        nlohmann::json item = nlohmann::json::parse(line, nullptr, false);
        if (!item.is_discarded() && item.is_object()) items.push_back(std::move(item));
    }
    return items;
}

size_t PendingQueue::size() const {
    // Nothing waits without the file; the lock file is made only when there is something to lock.
    if (!enabled() || ::access(path_.c_str(), F_OK) != 0) return 0;
    QueueLock lock(path_);
    return readItems().size();
}

size_t PendingQueue::drain(const std::function<bool(const nlohmann::json&)>& archive) const {
    if (!enabled() || ::access(path_.c_str(), F_OK) != 0) return 0;
    QueueLock lock(path_);
    if (::access(path_.c_str(), F_OK) != 0) return 0;  // drained by another program meanwhile
    std::vector<nlohmann::json> remaining;
    for (const nlohmann::json& item : readItems()) {
        if (!archive(item)) remaining.push_back(item);
    }
    if (remaining.empty()) {
        ::unlink(path_.c_str());
        return 0;
    }
    std::string text;
    for (const auto& item : remaining) text += item.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    // Rewritten whole or not at all: a failed rewrite leaves the old file, whose items the archive
    // skips as already there when they come again.
    replaceFile(path_, [&](std::FILE* file) { return writeBlock(file, text.data(), text.size()); });
    return remaining.size();
}

}  // namespace vespian
