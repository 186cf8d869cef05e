#include "archive/workstation.h"

#include <pwd.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

namespace vespian {

std::string systemLogin() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return found->pw_name;
    }
    for (const char* variable : {"LOGNAME", "USER"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') return value;
    }
    return "unknown";
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "unknown";
    return name;
}

std::string newUniqueId() {
    uint8_t bytes[16];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    if (filled < sizeof bytes) {
        // No kernel randomness (a very old kernel): the library's own source still gives an id
        // that no other computer makes in practice.
        std::random_device device;
        for (auto& b : bytes) b = static_cast<uint8_t>(device());
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0f) | 0x40);  // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3f) | 0x80);  // RFC 4122 variant
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0f];
    }
    return text;
}

}  // namespace vespian
