#include "files/test_report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace vespian {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

float* allocateZeroed() {
    // calloc: the system hands out zero pages lazily, so the 80 MB cost nothing until touched.
    void* memory = std::calloc(static_cast<size_t>(kMaxPoints), sizeof(float));
    if (memory == nullptr) throw std::bad_alloc();
    return static_cast<float*>(memory);
}

// One contiguous span of the image: the header or one of the arrays.
struct ImageSpan {
    uint64_t begin;
    uint64_t size;
};
// In image order: header, signal, temperature.
constexpr ImageSpan kSpans[3] = {{0, kTestReportHeaderBytes},
                                 {kReportSignalOffset, kReportArrayBytes},
                                 {kReportTemperatureOffset, kReportArrayBytes}};

// Where image bytes [offset, offset + size) meet `span`: `count` bytes from `inSpan` bytes into
// the span and `inBuffer` bytes into the caller's buffer.
struct Overlap {
    size_t inSpan = 0;
    size_t inBuffer = 0;
    size_t count = 0;
};

Overlap overlap(const ImageSpan& span, uint64_t offset, uint64_t size) {
    const uint64_t first = std::max(offset, span.begin);
    const uint64_t last = std::min(offset + size, span.begin + span.size);
    if (first >= last) return {};
    return {static_cast<size_t>(first - span.begin), static_cast<size_t>(first - offset),
            static_cast<size_t>(last - first)};
}

// The number of bytes of [offset, offset + size) that lie inside the image.
uint64_t clampedSize(uint64_t offset, size_t size) {
    if (offset >= kTestReportBytes) return 0;
    return std::min<uint64_t>(size, kTestReportBytes - offset);
}

}  // namespace

void TestReport::FreeDeleter::operator()(float* p) const { std::free(p); }

TestReport::TestReport() : signal_(allocateZeroed()), temperature_(allocateZeroed()) {}

size_t TestReport::readImage(uint64_t offset, const void* bytes, size_t size) {
    const uint64_t count = clampedSize(offset, size);
    const auto* buffer = static_cast<const unsigned char*>(bytes);
    unsigned char* const memory[] = {reinterpret_cast<unsigned char*>(&header_),
                                     reinterpret_cast<unsigned char*>(signal_.get()),
                                     reinterpret_cast<unsigned char*>(temperature_.get())};
    for (int i = 0; i < 3; ++i) {
        const Overlap o = overlap(kSpans[i], offset, count);
        if (o.count > 0) std::memcpy(memory[i] + o.inSpan, buffer + o.inBuffer, o.count);
    }
    return static_cast<size_t>(count);
}

size_t TestReport::copyImage(uint64_t offset, void* bytes, size_t size) const {
    const uint64_t count = clampedSize(offset, size);
    auto* buffer = static_cast<unsigned char*>(bytes);
    const unsigned char* const memory[] = {reinterpret_cast<const unsigned char*>(&header_),
                                           reinterpret_cast<const unsigned char*>(signal_.get()),
                                           reinterpret_cast<const unsigned char*>(temperature_.get())};
    for (int i = 0; i < 3; ++i) {
        const Overlap o = overlap(kSpans[i], offset, count);
        if (o.count > 0) std::memcpy(buffer + o.inBuffer, memory[i] + o.inSpan, o.count);
    }
    return static_cast<size_t>(count);
}

void TestReport::applyStartDefaults() {
    header_.sampleWeightG = 1.0f;
    header_.stoichiometry = 2.0f;
    header_.atomicMass = 195.08f;
    header_.massFraction = 2.0f;
    header_.crossSectionNm2 = 0.089f;
    header_.reportPointCount = 0;
}

bool TestReport::seedFromNewData(const std::string& path, float* quantVolumeMl) {
    File file(std::fopen(path.c_str(), "rb"));
    std::vector<unsigned char> bytes(kNewDataSeedBytes);
    size_t read = 0;
    if (file) read = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (!file || std::ferror(file.get())) {  // missing, or e.g. a folder of that name
        applyStartDefaults();
        return false;
    }
    readImage(0, bytes.data(), read);
    header_.reportPointCount = 0;
    if (header_.tmCount < 0 || header_.tmCount >= kMaxTmValues) header_.tmCount = 0;
    if (quantVolumeMl != nullptr) *quantVolumeMl = header_.pulseVolumeMl;
    return true;
}

}  // namespace vespian
