#include "platform/gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace vespian {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementGbk = "?";

bool isGbkLead(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool isGbkTrail(uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// One iconv descriptor, opened on first use in each thread: iconv keeps conversion state in
// the descriptor, so it must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(descriptor_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return descriptor_; }

private:
    iconv_t descriptor_;
};

Converter& gbkToUtf8() {
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

Converter& utf8ToGbk() {
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

// How many bytes of bad GBK input one replacement character stands for. A lead byte with a
// byte in the trail range is an unassigned pair and goes as a whole; a lead byte followed by
// anything else goes alone, so that an ASCII byte after it is kept.
size_t badGbkLength(std::string_view rest) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
    if (rest.size() >= 2 && isGbkLead(bytes[0]) && isGbkTrail(bytes[1])) return 2;
    return 1;
}

// Length of the UTF-8 sequence starting rest, as far as its bytes are well-formed; at least 1.
size_t utf8SequenceLength(std::string_view rest) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
    const uint8_t lead = bytes[0];
    size_t expected = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        expected = 4;
    }
    size_t length = 1;
    while (length < expected && length < rest.size() && (bytes[length] & 0xC0) == 0x80) ++length;
    return length;
}

// Runs the converter over the whole input. Where it stops at a sequence it cannot convert
// (invalid, unmappable or cut off at the end), one replacement goes out and badLength(rest)
// input bytes are dropped.
std::string convert(iconv_t descriptor, std::string_view input, std::string_view replacement,
                    size_t (*badLength)(std::string_view)) {
    std::string output;
    output.reserve(input.size() * 3 / 2 + 4);
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char* in = const_cast<char*>(input.data());  // iconv's signature; the input is not written
    size_t inLeft = input.size();
    char buffer[512];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(descriptor, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        // EILSEQ or EINVAL: the converter stopped in front of the bad sequence.
        size_t skip = badLength(std::string_view(in, inLeft));
        if (skip > inLeft) skip = inLeft;
        output.append(replacement);
        in += skip;
        inLeft -= skip;
    }
    return output;
}

// Without a converter (no gconv modules installed) only ASCII survives.
std::string asciiOnly(std::string_view input, std::string_view replacement,
                      size_t (*badLength)(std::string_view)) {
    std::string output;
    size_t i = 0;
    while (i < input.size()) {
        if (static_cast<uint8_t>(input[i]) < 0x80) {
            output.push_back(input[i++]);
        } else {
            output.append(replacement);
            i += badLength(input.substr(i));
        }
    }
    return output;
}

}  // namespace

std::string utf8FromGbk(std::string_view gbk) {
    Converter& converter = gbkToUtf8();
    if (!converter.valid()) return asciiOnly(gbk, kReplacementUtf8, badGbkLength);
    return convert(converter.get(), gbk, kReplacementUtf8, badGbkLength);
}

std::string gbkFromUtf8(std::string_view utf8) {
    Converter& converter = utf8ToGbk();
    if (!converter.valid()) return asciiOnly(utf8, kReplacementGbk, utf8SequenceLength);
    return convert(converter.get(), utf8, kReplacementGbk, utf8SequenceLength);
}

size_t gbkLength(std::string_view utf8) { return gbkFromUtf8(utf8).size(); }

std::string_view gbkPrefix(std::string_view gbk, size_t maxBytes) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(gbk.data());
    size_t end = 0;
    while (end < gbk.size()) {
        const size_t length = (isGbkLead(bytes[end]) && end + 1 < gbk.size()) ? 2 : 1;
        if (end + length > maxBytes) break;
        end += length;
    }
    return gbk.substr(0, end);
}

std::string utf8WithinGbkBytes(std::string_view utf8, size_t maxBytes) {
    size_t end = 0;
    size_t used = 0;
    while (end < utf8.size()) {
        const size_t length = utf8SequenceLength(utf8.substr(end));
        const size_t bytes = static_cast<uint8_t>(utf8[end]) < 0x80 ? 1 : gbkLength(utf8.substr(end, length));
        if (used + bytes > maxBytes) break;
        used += bytes;
        end += length;
    }
    return std::string(utf8.substr(0, end));
}

void writeGbkField(char* field, size_t size, std::string_view utf8) {
    if (size == 0) return;
    std::memset(field, 0, size);
    const std::string gbk = gbkFromUtf8(utf8);
    const std::string_view fitting = gbkPrefix(gbk, size - 1);
    std::memcpy(field, fitting.data(), fitting.size());
}

std::string readGbkField(const char* field, size_t size) {
    const void* terminator = std::memchr(field, '\0', size);
    const size_t length = terminator ? static_cast<size_t>(static_cast<const char*>(terminator) - field) : size;
    return utf8FromGbk(std::string_view(field, length));
}

}  // namespace vespian
