#pragma once
// Reading the archive's JSON files member by member, so that a bad file is refused with a message
// that names the member and what is wrong with it ("运行记录有误：‘events[3].flow_ml_min’应为数字"),
// never half read. Errors are thrown as JsonFieldError inside a reader and turned into a message
// at its edge.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "archive/wall_time.h"

namespace vespian {

class JsonFieldError : public std::runtime_error {
public:
    explicit JsonFieldError(const std::string& message) : std::runtime_error(message) {}
};

// The whole text as one JSON value; a syntax error, a truncated text or bytes that are not UTF-8
// are refused naming the byte where reading stopped. `what` names the file's kind.
nlohmann::json parseJsonDocument(std::string_view text, std::string_view what);

class JsonFields {
public:
    // `value` must be an object; `what` names the file's kind, `path` where this object lies.
    JsonFields(const nlohmann::json& value, std::string what, std::string path = {});

    bool has(const char* key) const;  // present and not null
    std::string text(const char* key) const;
    std::string optionalText(const char* key) const;  // missing or null give ""
    double number(const char* key) const;             // finite
    double optionalNumber(const char* key, double otherwise) const;
    int64_t integer(const char* key, int64_t least, int64_t most) const;
    int32_t small(const char* key, int32_t least, int32_t most) const {
        return static_cast<int32_t>(integer(key, least, most));
    }
    bool boolean(const char* key) const;
    WallMs time(const char* key) const;  // ISO 8601 text
    JsonFields object(const char* key) const;
    const nlohmann::json& raw(const char* key) const;  // present, any type
    // Each element of an array of objects.
    void forEach(const char* key, const std::function<void(const JsonFields&)>& each) const;
    // Each element of an array of strings.
    void forEachText(const char* key, const std::function<void(const std::string&)>& each) const;

    [[noreturn]] void fail(const char* key, const std::string& why) const;

private:
    const nlohmann::json& member(const char* key) const;
    std::string pathOf(const char* key) const;

    const nlohmann::json& value_;
    std::string what_;
    std::string path_;
};

}  // namespace vespian
