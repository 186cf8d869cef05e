#include "files/report_letterhead.h"

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/replace_file.h"

namespace vespian {

namespace {

constexpr char kSupplierKey[] = "supplier";
constexpr char kWebKey[] = "web";
constexpr char kHotlineKey[] = "hotline";
constexpr char kEmailKey[] = "email";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Characters are counted as UTF-8 sequences: a continuation byte does not start one.
std::string firstChars(const std::string& text, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == count) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

}  // namespace

std::string hotlineLine(const ReportLetterhead& l) { return l.hotline.empty() ? std::string() : "服务热线：" + l.hotline; }
std::string emailLine(const ReportLetterhead& l) { return l.email.empty() ? std::string() : "电子邮件：" + l.email; }

std::string cleanLetterheadEntry(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    size_t first = 0;
    while (first < line.size() && isBlank(line[first])) ++first;
    size_t last = line.size();
    while (last > first && isBlank(line[last - 1])) --last;
    return firstChars(line.substr(first, last - first), kLetterheadMaxChars);
}

bool readLetterhead(const std::string& path, ReportLetterhead& letterhead) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        letterhead = ReportLetterhead{};
        return true;
    }
    if (error || std::filesystem::is_directory(status)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream contents;
    contents << in.rdbuf();
    if (in.bad()) return false;
    ReportLetterhead read;
    std::string line;
    while (std::getline(contents, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = cleanLetterheadEntry(line.substr(eq + 1));
        if (key == kSupplierKey) read.supplierName = value;
        if (key == kWebKey) read.webAddress = value;
        if (key == kHotlineKey) read.hotline = value;
        if (key == kEmailKey) read.email = value;
    }
    letterhead = read;
    return true;
}

bool writeLetterhead(const std::string& path, const ReportLetterhead& l) {
    const std::string text = std::string(kSupplierKey) + "=" + cleanLetterheadEntry(l.supplierName) + "\n" + kWebKey +
                             "=" + cleanLetterheadEntry(l.webAddress) + "\n" + kHotlineKey + "=" +
                             cleanLetterheadEntry(l.hotline) + "\n" + kEmailKey + "=" + cleanLetterheadEntry(l.email) +
                             "\n";
    return replaceFile(path, [&](std::FILE* f) { return writeBlock(f, text.data(), text.size()); }) ==
           ReplaceFileStatus::Ok;
}

}  // namespace vespian
