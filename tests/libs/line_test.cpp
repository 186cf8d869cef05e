#include "libs/line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace vespian {
namespace {

constexpr uint32_t kPaper = 0xFF101010u;

struct Canvas {
    std::vector<uint32_t> memory;
    PixelSurface surface;
    Canvas(int32_t width, int32_t height) : memory(static_cast<size_t>(width) * height, kPaper) {
        surface = PixelSurface{memory.data(), width, height, width};
    }
    std::set<std::pair<int, int>> inked() const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < surface.height; ++y)
            for (int x = 0; x < surface.width; ++x)
                if (surface.at(x, y) != kPaper) out.insert({x, y});
        return out;
    }
};

// The pixels of an unclipped line drawn on a canvas big enough to hold it, shifted back.
std::set<std::pair<int, int>> freeLine(int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2) - 1, top = std::min(y1, y2) - 1;
    Canvas big(std::abs(x2 - x1) + 3, std::abs(y2 - y1) + 3);
    Line(big.surface, x1 - left, y1 - top, x2 - left, y2 - top, 0x00FFFFFFu);
    std::set<std::pair<int, int>> out;
    for (auto [x, y] : big.inked()) out.insert({x + left, y + top});
    return out;
}

TEST(LineContract, DrawsBothEndPointsInTheGivenColour) {
    Canvas c(10, 10);
    Line(c.surface, 1, 2, 7, 2, 0x00C85000u);  // RGB(0, 80, 200) as 0x00BBGGRR
    for (int x = 1; x <= 7; ++x) EXPECT_EQ(c.surface.at(x, 2), 0xFF0050C8u) << x;
    EXPECT_EQ(c.surface.at(0, 2), kPaper);
    EXPECT_EQ(c.surface.at(8, 2), kPaper);
    EXPECT_EQ(c.inked().size(), 7u);
}

TEST(LineContract, VerticalDiagonalAndSinglePoint) {
    Canvas c(10, 10);
    Line(c.surface, 3, 8, 3, 1, 0);
    EXPECT_EQ(c.inked().size(), 8u);
    for (int y = 1; y <= 8; ++y) EXPECT_NE(c.surface.at(3, y), kPaper);

    Canvas d(10, 10);
    Line(d.surface, 0, 0, 5, 5, 0);
    EXPECT_EQ(d.inked(), (std::set<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));

    Canvas e(10, 10);
    Line(e.surface, 4, 4, 4, 4, 0);
    EXPECT_EQ(e.inked(), (std::set<std::pair<int, int>>{{4, 4}}));
}

TEST(LineContract, EveryOctantIsAConnectedLineThroughBothEnds) {
    for (int angle = 0; angle < 360; angle += 7) {
        const int x2 = static_cast<int>(std::lround(20 + 17 * std::cos(angle * M_PI / 180)));
        const int y2 = static_cast<int>(std::lround(20 + 17 * std::sin(angle * M_PI / 180)));
        const auto pixels = freeLine(20, 20, x2, y2);
        SCOPED_TRACE(angle);
        EXPECT_TRUE(pixels.count({20, 20}));
        EXPECT_TRUE(pixels.count({x2, y2}));
        const int dx = std::abs(x2 - 20), dy = std::abs(y2 - 20);
        EXPECT_EQ(pixels.size(), static_cast<size_t>(std::max(dx, dy) + 1));  // one pixel per major step
        for (auto [x, y] : pixels) {
            // within half a pixel of the ideal line along the minor axis
            if (dx >= dy) {
                const double ideal = 20 + (y2 - 20) * double(x - 20) / (x2 - 20 == 0 ? 1 : x2 - 20);
                EXPECT_LE(std::abs(ideal - y), 0.5 + 1e-9);
            } else {
                const double ideal = 20 + (x2 - 20) * double(y - 20) / (y2 - 20);
                EXPECT_LE(std::abs(ideal - x), 0.5 + 1e-9);
            }
        }
        // one pixel per major coordinate, and neighbouring pixels touch (8-connected)
        std::map<int, int> byMajor;
        for (auto [x, y] : pixels) byMajor[dx >= dy ? x : y] = dx >= dy ? y : x;
        EXPECT_EQ(byMajor.size(), pixels.size());
        int previous = byMajor.begin()->second;
        for (auto [major, minor] : byMajor) {
            EXPECT_LE(std::abs(minor - previous), 1) << major;
            previous = minor;
        }
    }
}

TEST(LineContract, ClippingKeepsExactlyThePixelsOnTheSurface) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-40, 60);
    for (int n = 0; n < 2000; ++n) {
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        Canvas c(20, 15);
        Line(c.surface, x1, y1, x2, y2, 0x00FFFFFFu);
        std::set<std::pair<int, int>> expected;
        for (auto [x, y] : freeLine(x1, y1, x2, y2))
            if (x >= 0 && y >= 0 && x < 20 && y < 15) expected.insert({x, y});
        ASSERT_EQ(c.inked(), expected) << x1 << "," << y1 << " → " << x2 << "," << y2;
    }
}

TEST(LineContract, FarAwayEndPointsCostNothingAndStillHitTheSurface) {
    Canvas c(50, 40);
    Line(c.surface, INT32_MIN, 5, INT32_MAX, 5, 0);  // a row
    for (int x = 0; x < 50; ++x) EXPECT_NE(c.surface.at(x, 5), kPaper);
    Line(c.surface, -1'000'000'000, -1'000'000'000, 1'000'000'000, 1'000'000'000, 0);  // the diagonal
    for (int k = 0; k < 40; ++k) EXPECT_NE(c.surface.at(k, k), kPaper) << k;
    EXPECT_EQ(c.inked().size(), 50u + 40u - 1u);  // (5, 5) is on both
    Canvas d(50, 40);
    Line(d.surface, INT32_MIN, INT32_MIN, INT32_MIN + 10, INT32_MAX, 0);  // entirely off the surface
    EXPECT_TRUE(d.inked().empty());
}

TEST(LineContract, AnEmptySurfaceIsIgnored) {
    PixelSurface none;
    Line(none, 0, 0, 10, 10, 0);  // must not crash
    SUCCEED();
}

}  // namespace
}  // namespace vespian
