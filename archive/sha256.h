#pragma once
// SHA-256 of the files the program saves, as lowercase hex: the same text `sha256sum` prints, so
// a laboratory can check an archived file with its own tools.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vespian {

inline constexpr size_t kSha256HexLength = 64;

// Fed piece by piece, for a file being written or read in blocks.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, size_t bytes);
    // The digest of everything fed so far; the object starts afresh afterwards.
    std::string finishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

std::string sha256Hex(std::string_view bytes);

struct FileHash {
    bool ok = false;
    std::string hex;
    std::string message;  // why not, for the operator, when !ok
};

FileHash sha256OfFile(const std::string& path);

// Exactly 64 lowercase hex digits.
bool isSha256Hex(std::string_view text);

}  // namespace vespian
