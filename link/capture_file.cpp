#include "link/capture_file.h"

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace vespian {

namespace {

// Offsets into the loaded bytes are 32-bit: about ten days of a busy line, far beyond any
// capture an operator sends in.
constexpr uintmax_t kMaxCaptureFileBytes = std::numeric_limits<uint32_t>::max();
// Bytes that arrive within one such tick share a chunk.
constexpr uint32_t kChunkTickMs = 10;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

CaptureLoadResult failure(const std::string& path, const std::string& why) {
    return {false, "‘" + path + "’不是有效的数据记录文件：" + why};
}

}  // namespace

CaptureWriter::~CaptureWriter() { close(); }

bool CaptureWriter::open(const std::string& path) {
    close();
    std::lock_guard lock(mutex_);
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return false;
    CaptureHeader header{};
    std::memcpy(header.magic, kCaptureMagic, sizeof header.magic);
    header.version = kCaptureVersion;
    header.baudRate = 38400;
    failed_ = std::fwrite(&header, sizeof header, 1, file_) != 1;
    pendingLength_ = 0;
    return !failed_;
}

bool CaptureWriter::isOpen() const {
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

void CaptureWriter::append(const uint8_t* bytes, size_t length, uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) return;
    while (length > 0) {
        if (pendingLength_ > 0 &&
            (pendingLength_ == kMaxCaptureChunk || milliseconds >= pendingMilliseconds_ + kChunkTickMs)) {
            flushLocked();
        }
        if (pendingLength_ == 0) pendingMilliseconds_ = milliseconds;
        const size_t taken = std::min<size_t>(length, kMaxCaptureChunk - pendingLength_);
        std::memcpy(pending_.data() + pendingLength_, bytes, taken);
        pendingLength_ += static_cast<uint32_t>(taken);
        bytes += taken;
        length -= taken;
    }
}

void CaptureWriter::flushLocked() {
    if (file_ == nullptr || pendingLength_ == 0) return;
    const CaptureChunkHeader chunk{pendingMilliseconds_, pendingLength_};
    if (std::fwrite(&chunk, sizeof chunk, 1, file_) != 1 ||
        std::fwrite(pending_.data(), 1, pendingLength_, file_) != pendingLength_) {
        failed_ = true;
    }
    pendingLength_ = 0;
}

bool CaptureWriter::close() {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) return !failed_;
    flushLocked();
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

CaptureLoadResult loadCapture(const std::string& path, CaptureRecording* recording) {
    *recording = CaptureRecording{};
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    std::error_code error;
    if (!file || std::filesystem::is_directory(path, error)) return {false, "无法打开‘" + path + "’文件"};
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return {false, "无法打开‘" + path + "’文件"};
    if (size > kMaxCaptureFileBytes) return failure(path, "文件太大");

    CaptureHeader header{};
    if (std::fread(&header, sizeof header, 1, file.get()) != 1 ||
        std::memcmp(header.magic, kCaptureMagic, sizeof kCaptureMagic) != 0) {
        return failure(path, "文件头不符");
    }
    if (header.version != kCaptureVersion) return failure(path, "版本" + std::to_string(header.version) + "不能识别");

    CaptureRecording loaded;
    loaded.bytes.reserve(static_cast<size_t>(size));
    uint32_t lastMilliseconds = 0;
    CaptureChunkHeader chunk{};
    while (true) {
        const size_t got = std::fread(&chunk, 1, sizeof chunk, file.get());
        if (got == 0) break;
        if (got < sizeof chunk) {
            loaded.truncated = true;
            break;
        }
        if (chunk.length == 0 || chunk.length > kMaxCaptureChunk) {
            return failure(path, "第" + std::to_string(loaded.chunks.size() + 1) + "段长度不符");
        }
        if (chunk.milliseconds < lastMilliseconds) {
            return failure(path, "第" + std::to_string(loaded.chunks.size() + 1) + "段时间倒退");
        }
        const uint32_t offset = static_cast<uint32_t>(loaded.bytes.size());
        loaded.bytes.resize(offset + chunk.length);
        const size_t read = std::fread(loaded.bytes.data() + offset, 1, chunk.length, file.get());
        if (read < chunk.length) {
            loaded.bytes.resize(offset);
            loaded.truncated = true;
            break;
        }
        loaded.chunks.push_back({chunk.milliseconds, offset, chunk.length});
        lastMilliseconds = chunk.milliseconds;
    }
    *recording = std::move(loaded);
    return {true, {}};
}

}  // namespace vespian
