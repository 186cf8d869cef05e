// The package's udev rule, read against the rule format of udev(7) (the udev of Debian 12 has no
// "udevadm verify"; the package test runs it where it exists) and against what the program
// expects of the device it makes.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "link/analyser_port_link.h"
#include "link/instrument_link.h"

namespace vespian {
namespace {

struct Pair {
    std::string key;   // "ATTRS"
    std::string attr;  // "product", empty when the key takes none
    std::string op;    // "==", "!=", "=", "+=", "-=", ":="
    std::string value;
};

// One rule line as udev reads it: KEY[{attr}] OP "value", separated by commas and blanks.
// False with the reason when the line is not in that form.
bool parseRule(const std::string& line, std::vector<Pair>* pairs, std::string* why) {
    size_t i = 0;
    const auto blanks = [&] {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    };
    while (true) {
        blanks();
        if (i >= line.size()) return !pairs->empty() || (*why = "empty rule", false);
        Pair pair;
        while (i < line.size() && (std::isupper(static_cast<unsigned char>(line[i])) || line[i] == '_')) {
            pair.key += line[i++];
        }
        if (pair.key.empty()) return *why = "a key expected at column " + std::to_string(i), false;
        if (i < line.size() && line[i] == '{') {
            const size_t close = line.find('}', i);
            if (close == std::string::npos) return *why = "unclosed { after " + pair.key, false;
            pair.attr = line.substr(i + 1, close - i - 1);
            if (pair.attr.empty()) return *why = "empty {} after " + pair.key, false;
            i = close + 1;
        }
        blanks();
        for (const char* op : {"==", "!=", "+=", "-=", ":=", "="}) {
            if (line.compare(i, std::string(op).size(), op) == 0) {
                pair.op = op;
                break;
            }
        }
        if (pair.op.empty()) return *why = "an operator expected after " + pair.key, false;
        i += pair.op.size();
        blanks();
        if (i >= line.size() || line[i] != '"') return *why = "a quoted value expected after " + pair.key, false;
        const size_t close = line.find('"', i + 1);
        if (close == std::string::npos) return *why = "unclosed value of " + pair.key, false;
        pair.value = line.substr(i + 1, close - i - 1);
        i = close + 1;
        pairs->push_back(pair);
        blanks();
        if (i >= line.size()) return true;
        if (line[i] != ',') return *why = "a comma expected after " + pair.key, false;
        ++i;
    }
}

// The keys of udev(7), whether each takes {attr}, and the operators it allows.
struct KeyRule {
    bool attr;
    std::set<std::string> ops;
};
const std::set<std::string> kMatch = {"==", "!="};
const std::set<std::string> kAssign = {"=", "+=", "-=", ":="};
const std::set<std::string> kBoth = {"==", "!=", "=", "+=", "-=", ":="};
const std::map<std::string, KeyRule> kKeys = {
    {"ACTION", {false, kMatch}},      {"DEVPATH", {false, kMatch}},    {"KERNEL", {false, kMatch}},
    {"KERNELS", {false, kMatch}},     {"SUBSYSTEM", {false, kMatch}},  {"SUBSYSTEMS", {false, kMatch}},
    {"DRIVER", {false, kMatch}},      {"DRIVERS", {false, kMatch}},    {"ATTRS", {true, kMatch}},
    {"TAGS", {false, kMatch}},        {"RESULT", {false, kMatch}},     {"PROGRAM", {false, kMatch}},
    {"TEST", {true, kMatch}},         {"CONST", {true, kMatch}},       {"NAME", {false, kBoth}},
    {"SYMLINK", {false, kBoth}},      {"TAG", {false, kBoth}},         {"ATTR", {true, kBoth}},
    {"SYSCTL", {true, kBoth}},        {"ENV", {true, kBoth}},          {"OWNER", {false, kAssign}},
    {"GROUP", {false, kAssign}},      {"MODE", {false, kAssign}},      {"RUN", {true, kAssign}},
    {"LABEL", {false, {"="}}},        {"GOTO", {false, {"="}}},        {"IMPORT", {true, kAssign}},
    {"OPTIONS", {false, kAssign}},    {"SECLABEL", {true, kAssign}},
};

std::vector<std::vector<Pair>> readRules(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    std::vector<std::vector<Pair>> rules;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        EXPECT_NE(line.back(), '\\') << "line " << number << ": continued lines are not used here";
        std::vector<Pair> pairs;
        std::string why;
        EXPECT_TRUE(parseRule(line, &pairs, &why)) << "line " << number << ": " << why;
        rules.push_back(pairs);
    }
    return rules;
}

TEST(UdevRuleFormat, ParserRefusesMalformedLines) {
    const char* bad[] = {
        "SUBSYSTEM==tty",                          // unquoted
        "SUBSYSTEM==\"tty\" GROUP=\"dialout\"",      // no comma
        "ATTRS{product==\"TRV-8800\"",              // unclosed brace
        "SUBSYSTEM=>\"tty\"",                       // no operator
        "subsystem==\"tty\"",                       // keys are upper case
        "GROUP=\"dialout",                          // unclosed value
    };
    for (const char* line : bad) {
        std::vector<Pair> pairs;
        std::string why;
        EXPECT_FALSE(parseRule(line, &pairs, &why)) << line;
    }
    std::vector<Pair> pairs;
    std::string why;
    ASSERT_TRUE(parseRule("KERNEL==\"ttyUSB*\",  ENV{X}+=\"1\"", &pairs, &why)) << why;
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].key, "ENV");
    EXPECT_EQ(pairs[1].attr, "X");
    EXPECT_EQ(pairs[1].op, "+=");
}

TEST(UdevRuleFormat, PackageRuleUsesKnownKeysWithTheirOperators) {
    const auto rules = readRules(VESPIAN_UDEV_RULE);
    ASSERT_FALSE(rules.empty());
    for (const auto& rule : rules) {
        bool matches = false;
        for (const Pair& pair : rule) {
            const auto key = kKeys.find(pair.key);
            ASSERT_NE(key, kKeys.end()) << "unknown key " << pair.key;
            EXPECT_EQ(key->second.attr, !pair.attr.empty()) << pair.key;
            EXPECT_TRUE(key->second.ops.count(pair.op)) << pair.key << pair.op;
            matches = matches || kMatch.count(pair.op) > 0;
        }
        EXPECT_TRUE(matches) << "a rule without a match applies to every device";
    }
}

// The rule picks the analyser's bridge exactly as the program does (the whole product string,
// no pattern), gives it to dialout, and names the link the program looks at first.
TEST(UdevRuleFormat, PackageRuleMakesWhatTheProgramLooksFor) {
    const auto rules = readRules(VESPIAN_UDEV_RULE);
    ASSERT_EQ(rules.size(), 1u);
    std::map<std::string, Pair> byKey;
    for (const Pair& pair : rules[0]) byKey[pair.key + (pair.attr.empty() ? "" : "{" + pair.attr + "}")] = pair;
    EXPECT_EQ(byKey["SUBSYSTEM"].op, "==");
    EXPECT_EQ(byKey["SUBSYSTEM"].value, "tty");
    EXPECT_EQ(byKey["ATTRS{product}"].op, "==");
    EXPECT_EQ(byKey["ATTRS{product}"].value, kAnalyserDescription);
    EXPECT_EQ(byKey["ATTRS{product}"].value.find_first_of("*?[|"), std::string::npos);
    EXPECT_EQ(byKey["GROUP"].value, "dialout");
    EXPECT_EQ(byKey["MODE"].value, "0660");
    EXPECT_EQ(byKey["SYMLINK"].op, "+=");
    EXPECT_EQ(byKey["SYMLINK"].value, kAnalyserPortLink);
}

}  // namespace
}  // namespace vespian
