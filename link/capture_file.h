#pragma once
// The capture file: the raw bytes an analyser sent, with the time each stretch arrived, so an
// operator can send in a recording of a problem run and its decoding can be replayed without
// the instrument. Little-endian:
//
//   header  "TRVCAP" 0x0D 0x0A, uint32 version (1), uint32 baud rate (38400)
//   chunks  uint32 milliseconds since the recording began, uint32 length (1 .. 4096), bytes
//
// Times never go backwards. A file cut short (the recorder was killed) keeps every whole chunk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace vespian {

struct CaptureHeader {
    char magic[8];
    uint32_t version;
    uint32_t baudRate;
};
static_assert(sizeof(CaptureHeader) == 16);
static_assert(offsetof(CaptureHeader, version) == 8);
static_assert(offsetof(CaptureHeader, baudRate) == 12);

struct CaptureChunkHeader {
    uint32_t milliseconds;
    uint32_t length;
};
static_assert(sizeof(CaptureChunkHeader) == 8);
static_assert(offsetof(CaptureChunkHeader, length) == 4);

inline constexpr char kCaptureMagic[8] = {'T', 'R', 'V', 'C', 'A', 'P', '\r', '\n'};
inline constexpr uint32_t kCaptureVersion = 1;
inline constexpr uint32_t kMaxCaptureChunk = 4096;

// Appends received bytes to a capture file. Bytes are gathered in a fixed buffer and written as
// one chunk when the time moves on by a tick or the buffer fills, so recording costs no
// allocation on the acquisition thread. Thread-safe.
class CaptureWriter {
public:
    CaptureWriter() = default;
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Creates the file and writes the header; false when it cannot be created.
    bool open(const std::string& path);
    void append(const uint8_t* bytes, size_t length, uint32_t milliseconds);
    // Writes what is gathered and closes the file; false when any write failed.
    bool close();
    bool isOpen() const;

private:
    void flushLocked();

    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    std::array<uint8_t, kMaxCaptureChunk> pending_{};
    uint32_t pendingLength_ = 0;
    uint32_t pendingMilliseconds_ = 0;
};

struct CaptureChunk {
    uint32_t milliseconds;
    uint32_t offset;  // into CaptureRecording::bytes
    uint32_t length;
};

// A whole capture file in memory, checked chunk by chunk.
struct CaptureRecording {
    std::vector<uint8_t> bytes;
    std::vector<CaptureChunk> chunks;
    bool truncated = false;  // the file ended inside a chunk; the whole chunks before it stand
};

struct CaptureLoadResult {
    bool ok = false;
    std::string message;  // for the operator, in the program's language; empty when ok
};

// Reads and checks a capture file: the header, chunk lengths within 1 .. 4096, times that never
// go backwards. A bad file gives a message and an empty recording.
CaptureLoadResult loadCapture(const std::string& path, CaptureRecording* recording);

}  // namespace vespian
