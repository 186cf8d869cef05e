#include "files/trace_csv.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "files/list_export.h"

namespace vespian {

namespace {

// Room for one row: the time and two floats in their shortest form, with separators.
constexpr size_t kRowBytes = 96;
constexpr size_t kBufferBytes = 1 << 16;

char* putTime(char* at, char* end, int32_t index) {
    // i / 5 s in exact decimals: the whole seconds, then tenths in steps of two.
    at = std::to_chars(at, end, index / 5).ptr;
    const int32_t fifths = index % 5;
    if (fifths != 0) {
        *at++ = '.';
        *at++ = static_cast<char>('0' + 2 * fifths);
    }
    return at;
}

char* putRow(char* at, char* end, int32_t index, float signal, float temperature) {
    at = putTime(at, end, index);
    *at++ = ',';
    at = std::to_chars(at, end, signal).ptr;
    *at++ = ',';
    return std::to_chars(at, end, temperature).ptr;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string failure(const std::string& path) {
    return "无法建立‘" + path + "’文件\ncannot write the file ‘" + path + "’";
}

}  // namespace

std::string traceCsvRow(int32_t index, float signalMv, float temperatureC) {
    char row[kRowBytes];
    return std::string(row, putRow(row, row + sizeof row, index, signalMv, temperatureC));
}

bool writeTraceCsv(std::FILE* out, const float* signalMv, const float* temperatureC, int32_t n) {
    auto buffer = std::make_unique<char[]>(kBufferBytes);
    char* const begin = buffer.get();
    char* const end = begin + kBufferBytes;
    char* at = begin;
    const size_t mark = std::strlen(kCsvByteOrderMark);
    std::memcpy(at, kCsvByteOrderMark, mark);
    at += mark;
    const size_t header = std::strlen(kTraceCsvHeader);
    std::memcpy(at, kTraceCsvHeader, header);
    at += header;
    *at++ = '\n';
    for (int32_t i = 0; i < n; ++i) {
        if (end - at < static_cast<std::ptrdiff_t>(kRowBytes)) {
            if (std::fwrite(begin, 1, static_cast<size_t>(at - begin), out) != static_cast<size_t>(at - begin)) {
                return false;
            }
            at = begin;
        }
        at = putRow(at, end, i, signalMv[i], temperatureC[i]);
        *at++ = '\n';
    }
    const size_t rest = static_cast<size_t>(at - begin);
    return std::fwrite(begin, 1, rest, out) == rest && std::fflush(out) == 0;
}

CsvResult saveTraceCsv(const std::string& path, const float* signalMv, const float* temperatureC, int32_t n) {
    namespace fs = std::filesystem;
    fs::path temporary(path);
    temporary += ".part";
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
    if (!file) return {false, failure(path)};
    const bool written = writeTraceCsv(file.get(), signalMv, temperatureC, n);
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code error;
    if (written && closed) fs::rename(temporary, path, error);
    if (!written || !closed || error) {
        fs::remove(temporary, error);
        return {false, failure(path)};
    }
    return {true, {}};
}

}  // namespace vespian
