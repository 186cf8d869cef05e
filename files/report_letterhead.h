#pragma once
// The supplier's letterhead on the printed reports: name and web address in the header, the
// service hotline and e-mail in the footer. The operator sets them; they start empty, and an
// empty entry prints nothing. Kept in a small text file of their own beside the settings files,
// one "key=value" line each, UTF-8.

#include <string>

namespace vespian {

inline constexpr char kLetterheadFileName[] = "ReportLetterhead.ini";
// Longest entry kept, in characters.
inline constexpr size_t kLetterheadMaxChars = 100;

struct ReportLetterhead {
    std::string supplierName;
    std::string webAddress;
    std::string hotline;
    std::string email;
    bool operator==(const ReportLetterhead&) const = default;
};

// The footer lines as printed: "服务热线：…" and "电子邮件：…", empty when the entry is empty.
std::string hotlineLine(const ReportLetterhead& letterhead);
std::string emailLine(const ReportLetterhead& letterhead);

// One line, at most kLetterheadMaxChars characters, blanks around it removed.
std::string cleanLetterheadEntry(const std::string& text);

// A missing file gives the empty letterhead and true; unknown lines are skipped. False (and
// the letterhead untouched) when the file exists but cannot be read.
bool readLetterhead(const std::string& path, ReportLetterhead& letterhead);
// Through a temporary file beside the target. False on failure.
bool writeLetterhead(const std::string& path, const ReportLetterhead& letterhead);

}  // namespace vespian
