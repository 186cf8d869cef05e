#include "app/link_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vespian {
namespace {

struct Parsed {
    bool ok;
    LinkOptions options;
    std::vector<std::string> rest;
    std::string error;
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed p{};
    p.ok = parseLinkOptions(args, &p.options, &p.rest, &p.error);
    return p;
}

TEST(LinkOptions, SourcesAndTheRestInOrder) {
    Parsed p = parse({"--simulator", "--seed", "7", "--speed", "20", "--seconds", "5"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.source, LinkOptions::Source::Simulator);
    EXPECT_EQ(p.options.seed, 7u);
    EXPECT_EQ(p.options.speed, 20.0);
    EXPECT_EQ(p.rest, (std::vector<std::string>{"--seconds", "5"}));
    p = parse({"--port", "/dev/ttyS3"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.source, LinkOptions::Source::Port);
    EXPECT_EQ(p.options.port, "/dev/ttyS3");
    EXPECT_EQ(parse({"--simulator", "--fast"}).options.speed, 0.0);
    EXPECT_FALSE(parse({"--simulator", "--port", "/dev/ttyS0"}).ok);
    EXPECT_FALSE(parse({"--fast", "--speed", "2"}).ok);
    EXPECT_EQ(parse({"--port"}).error, "选项--port后面缺少参数");
}

// Speeds that would hang the simulator (a wall second asking for ages of instrument time, or a
// byte due after the end of time) are refused with the range named.
TEST(LinkOptions, SpeedOnlyWithinItsRange) {
    for (const char* ok : {"0.0001", "0.5", "1", "300", "1000", "1e3"}) {
        const Parsed p = parse({"--simulator", "--speed", ok});
        EXPECT_TRUE(p.ok) << ok << ": " << p.error;
    }
    for (const char* bad : {"1e10", "1e-300", "1000.5", "0.00009", "0", "-1", "nan", "inf", "fast", "", "1e400"}) {
        const Parsed p = parse({"--simulator", "--speed", bad});
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.error, std::string("速度\"") + bad + "\"超出范围(0.0001-1000)") << bad;
    }
}

}  // namespace
}  // namespace vespian
