#pragma once
// Text in memory is UTF-8; every text field in the program's files is a fixed-size GBK byte
// field, zero-padded and NUL-terminated. This is the one place where the two meet.
//
// Field limits and column widths are counted in GBK bytes, as the files and the list layouts
// count them: a Chinese character takes two bytes, an ASCII character one.
//
// All functions are thread-safe (each thread keeps its own conversion descriptors) and never
// throw on bad input: bytes that are not GBK read as U+FFFD, characters that GBK cannot hold
// are written as '?'.

#include <cstddef>
#include <string>
#include <string_view>

namespace vespian {

// GBK bytes (as read from a file) to UTF-8. Invalid or incomplete sequences become U+FFFD.
std::string utf8FromGbk(std::string_view gbk);

// UTF-8 to GBK bytes. Characters GBK cannot hold, and bytes that are not UTF-8, become '?'.
std::string gbkFromUtf8(std::string_view utf8);

// Number of bytes the text takes in GBK.
size_t gbkLength(std::string_view utf8);

// The longest start of a GBK byte string that fits in maxBytes without splitting a
// double-byte character.
std::string_view gbkPrefix(std::string_view gbk, size_t maxBytes);

// The longest start of a UTF-8 text whose GBK form fits in maxBytes (for edit limits that
// count bytes, e.g. a name field of 15 bytes holds 14).
std::string utf8WithinGbkBytes(std::string_view utf8, size_t maxBytes);

// Writes the text into a GBK field of `size` bytes: zero-padded, always NUL-terminated, cut
// at a whole character when it does not fit (at most size − 1 text bytes). Nothing is written
// when size is 0.
void writeGbkField(char* field, size_t size, std::string_view utf8);

// Reads a GBK field up to its first NUL, or all `size` bytes when it holds none, as UTF-8.
std::string readGbkField(const char* field, size_t size);

template <size_t N>
void writeGbkField(char (&field)[N], std::string_view utf8) {
    writeGbkField(field, N, utf8);
}

template <size_t N>
std::string readGbkField(const char (&field)[N]) {
    return readGbkField(field, N);
}

}  // namespace vespian
