#include "archive/json_fields.h"

#include <cmath>

namespace vespian {

using nlohmann::json;

json parseJsonDocument(std::string_view text, std::string_view what) {
    try {
        return json::parse(text.begin(), text.end());
    } catch (const json::parse_error& error) {
        const std::string where = std::to_string(error.byte);
        if (error.byte >= text.size()) {
            throw JsonFieldError(std::string(what) + "不完整：文件在第" + where + "字节处中断");
        }
        throw JsonFieldError(std::string(what) + "不是有效的JSON：第" + where + "字节处有误");
    }
}

JsonFields::JsonFields(const json& value, std::string what, std::string path)
    : value_(value), what_(std::move(what)), path_(std::move(path)) {
    if (!value_.is_object()) {
        throw JsonFieldError(what_ + "有误：" + (path_.empty() ? std::string("整个文件") : "‘" + path_ + "’") +
                             "应为对象");
    }
}

std::string JsonFields::pathOf(const char* key) const { return path_.empty() ? key : path_ + "." + key; }

void JsonFields::fail(const char* key, const std::string& why) const {
    throw JsonFieldError(what_ + "有误：‘" + pathOf(key) + "’" + why);
}

const json& JsonFields::member(const char* key) const {
    const auto found = value_.find(key);
    if (found == value_.end()) fail(key, "缺少");
    return *found;
}

bool JsonFields::has(const char* key) const {
    const auto found = value_.find(key);
    return found != value_.end() && !found->is_null();
}

std::string JsonFields::text(const char* key) const {
    const json& v = member(key);
    if (!v.is_string()) fail(key, "应为文字");
    return v.get<std::string>();
}

std::string JsonFields::optionalText(const char* key) const { return has(key) ? text(key) : std::string(); }

double JsonFields::number(const char* key) const {
    const json& v = member(key);
    if (!v.is_number()) fail(key, "应为数字");
    const double d = v.get<double>();
    if (!std::isfinite(d)) fail(key, "应为有限的数字");
    return d;
}

double JsonFields::optionalNumber(const char* key, double otherwise) const {
    return has(key) ? number(key) : otherwise;
}

int64_t JsonFields::integer(const char* key, int64_t least, int64_t most) const {
    const json& v = member(key);
    if (!v.is_number_integer()) fail(key, "应为整数");
    if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) fail(key, "超出范围");
    const int64_t i = v.get<int64_t>();
    if (i < least || i > most) {
        fail(key, "超出范围(" + std::to_string(least) + "-" + std::to_string(most) + ")");
    }
    return i;
}

bool JsonFields::boolean(const char* key) const {
    const json& v = member(key);
    if (!v.is_boolean()) fail(key, "应为true或false");
    return v.get<bool>();
}

WallMs JsonFields::time(const char* key) const {
    const std::string t = text(key);
    const auto ms = parseIsoTime(t);
    if (!ms) fail(key, "不是时间(应如2026-03-01T14:03:22.400+08:00)");
    return *ms;
}

JsonFields JsonFields::object(const char* key) const { return JsonFields(member(key), what_, pathOf(key)); }

const json& JsonFields::raw(const char* key) const { return member(key); }

void JsonFields::forEach(const char* key, const std::function<void(const JsonFields&)>& each) const {
    const json& v = member(key);
    if (!v.is_array()) fail(key, "应为数组");
    for (size_t i = 0; i < v.size(); ++i) each(JsonFields(v[i], what_, pathOf(key) + "[" + std::to_string(i) + "]"));
}

void JsonFields::forEachText(const char* key, const std::function<void(const std::string&)>& each) const {
    const json& v = member(key);
    if (!v.is_array()) fail(key, "应为数组");
    for (size_t i = 0; i < v.size(); ++i) {
        if (!v[i].is_string()) {
            throw JsonFieldError(what_ + "有误：‘" + pathOf(key) + "[" + std::to_string(i) + "]’应为文字");
        }
        each(v[i].get<std::string>());
    }
}

}  // namespace vespian
