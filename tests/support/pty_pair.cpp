#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>

namespace vespian::testing {

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = name;
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveHold_ >= 0) {
        termios tio{};
        if (tcgetattr(slaveHold_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(slaveHold_, TCSANOW, &tio);
        }
    }
}

PtyPair::~PtyPair() {
    if (slaveHold_ >= 0) ::close(slaveHold_);
    if (master_ >= 0) ::close(master_);
}

bool PtyPair::writeMaster(const void* bytes, size_t length) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        ssize_t n = ::write(master_, p, length);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        p += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

std::string PtyPair::readMaster(size_t maxBytes, int timeoutMs) {
    std::string out;
    pollfd pfd{master_, POLLIN, 0};
    while (out.size() < maxBytes && ::poll(&pfd, 1, timeoutMs) > 0) {
        char buffer[256];
        size_t want = std::min(sizeof buffer, maxBytes - out.size());
        ssize_t n = ::read(master_, buffer, want);
        if (n <= 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

}  // namespace vespian::testing
