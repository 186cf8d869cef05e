#include "archive/sha256.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vespian {

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
    void restart() { EVP_DigestInit_ex(context, EVP_sha256(), nullptr); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) { state_->restart(); }
Sha256::~Sha256() = default;

void Sha256::update(const void* data, size_t bytes) {
    if (bytes > 0) EVP_DigestUpdate(state_->context, data, bytes);
}

std::string Sha256::finishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(state_->context, digest, &length);
    state_->restart();
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0x0f];
    }
    return hex;
}

std::string sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.finishHex();
}

FileHash sha256OfFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {false, {}, "无法打开‘" + path + "’文件：" + std::strerror(errno)};
    Sha256 hash;
    std::vector<unsigned char> block(1 << 20);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) hash.update(block.data(), got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return {false, {}, "无法读取‘" + path + "’文件"};
    return {true, hash.finishHex(), {}};
}

bool isSha256Hex(std::string_view text) {
    if (text.size() != kSha256HexLength) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace vespian
