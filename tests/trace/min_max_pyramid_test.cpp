#include "trace/min_max_pyramid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "trace/chromatogram.h"
#include "trace/trace_view.h"

namespace vespian {
namespace {

using Series = MinMaxPyramid::Series;

float clean(float v) { return v == v ? v : 0.0f; }

struct Brute {
    const float* signal;
    const float* temperature;
    const float* of(Series s) const { return s == Series::Signal ? signal : temperature; }
    MinMaxPyramid::Range range(Series s, int a, int b) const {
        MinMaxPyramid::Range r{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
        for (int i = a; i <= b; ++i) {
            r.min = std::min(r.min, clean(of(s)[i]));
            r.max = std::max(r.max, clean(of(s)[i]));
        }
        return r;
    }
    template <class Pred>
    int lastWhere(Series s, int a, int b, Pred pred) const {
        for (int i = b; i >= a; --i)
            if (pred(clean(of(s)[i]))) return i;
        return -1;
    }
};

std::vector<float> randomSeries(std::mt19937& rng, int n, bool withNaN) {
    std::vector<float> v(static_cast<size_t>(n));
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::uniform_int_distribution<int> kind(0, 9);
    float level = 0.0f;
    for (int i = 0; i < n; ++i) {
        switch (kind(rng)) {
        case 0: level += noise(rng) * 20.0f; break;  // jumps
        case 1: break;                                // flat
        default: level += noise(rng) * 0.3f;
        }
        v[static_cast<size_t>(i)] = level;
        if (withNaN && kind(rng) == 0 && kind(rng) == 0) v[static_cast<size_t>(i)] = std::numeric_limits<float>::quiet_NaN();
    }
    return v;
}

// Compares every query kind on random ranges against brute force.
void checkQueries(const MinMaxPyramid& p, const Brute& brute, int count, std::mt19937& rng, int queries) {
    ASSERT_EQ(p.count(), count);
    if (count == 0) return;
    std::uniform_int_distribution<int> index(0, count - 1);
    std::uniform_int_distribution<int> shortLength(0, 40);
    for (int q = 0; q < queries; ++q) {
        int a = index(rng), b = index(rng);
        if (q % 3 == 0) b = std::min(count - 1, a + shortLength(rng));
        if (a > b) std::swap(a, b);
        for (Series s : {Series::Signal, Series::Temperature}) {
            const auto expected = brute.range(s, a, b);
            const auto got = p.range(s, a, b);
            ASSERT_EQ(got.min, expected.min) << a << ".." << b;
            ASSERT_EQ(got.max, expected.max) << a << ".." << b;
            // "maps to another pixel than Y" under a monotone transform, and "pixel ≤ / ≥ limit".
            const float scale = std::uniform_real_distribution<float>(0.05f, 40.0f)(rng);
            auto pixel = [scale](float v) { return 300 - truncateToInt(scale * v); };
            const int y = pixel(clean(brute.of(s)[b]));
            ASSERT_EQ(p.lastMappingElsewhere(s, a, b, pixel, y),
                      brute.lastWhere(s, a, b, [&](float v) { return pixel(v) != y; }))
                << a << ".." << b;
            const int limit = y + std::uniform_int_distribution<int>(-30, 30)(rng);
            ASSERT_EQ(p.lastWhere(s, a, b, [&](float v) { return pixel(v) <= limit; }),
                      brute.lastWhere(s, a, b, [&](float v) { return pixel(v) <= limit; }));
            ASSERT_EQ(p.lastWhere(s, a, b, [&](float v) { return pixel(v) >= limit; }),
                      brute.lastWhere(s, a, b, [&](float v) { return pixel(v) >= limit; }));
        }
        const auto both = p.ranges(a, b);
        ASSERT_EQ(both.signal.min, brute.range(Series::Signal, a, b).min);
        ASSERT_EQ(both.temperature.max, brute.range(Series::Temperature, a, b).max);
    }
}

TEST(MinMaxPyramid, LevelsForTheFullCapacity) {
    MinMaxPyramid p;  // 10,000,000 points: blocks of 16 .. 16^6
    EXPECT_EQ(p.capacity(), kMaxPoints);
    EXPECT_EQ(p.levels(), 6);
    EXPECT_EQ(p.count(), 0);
    MinMaxPyramid small(4096);
    EXPECT_EQ(small.levels(), 3);
}

TEST(MinMaxPyramid, RebuildMatchesBruteForce) {
    std::mt19937 rng(1);
    for (int count : {1, 2, 15, 16, 17, 255, 256, 257, 4095, 4097, 70000}) {
        const auto signal = randomSeries(rng, count, true);
        const auto temperature = randomSeries(rng, count, false);
        MinMaxPyramid p(70000);
        p.rebuild(signal.data(), temperature.data(), count);
        SCOPED_TRACE(count);
        checkQueries(p, Brute{signal.data(), temperature.data()}, count, rng, 300);
    }
}

TEST(MinMaxPyramid, AppendsOneByOneAndInBulk) {
    std::mt19937 rng(2);
    const int total = 20000;
    const auto signal = randomSeries(rng, total, true);
    const auto temperature = randomSeries(rng, total, false);
    MinMaxPyramid p(total);
    p.rebuild(signal.data(), temperature.data(), 0);
    int count = 0;
    std::uniform_int_distribution<int> step(1, 300);
    while (count < total) {
        const int next = std::min(total, count + (count % 2 ? step(rng) : 1 + step(rng) / 10));
        p.append(next);
        count = next;
        checkQueries(p, Brute{signal.data(), temperature.data()}, count, rng, 20);
    }
    p.append(total + 5);  // beyond the capacity: clamped
    EXPECT_EQ(p.count(), total);
}

TEST(MinMaxPyramid, EmptyAndOutOfRangeQueries) {
    std::vector<float> values = {3.0f, 1.0f, 2.0f};
    MinMaxPyramid p(100);
    p.rebuild(values.data(), values.data(), 3);
    EXPECT_TRUE(p.range(Series::Signal, 2, 1).empty());
    EXPECT_TRUE(p.range(Series::Signal, 5, 9).empty());
    EXPECT_EQ(p.range(Series::Signal, -4, 99).min, 1.0f);
    EXPECT_EQ(p.range(Series::Signal, -4, 99).max, 3.0f);
    EXPECT_EQ(p.lastWhere(Series::Signal, 0, 2, [](float v) { return v > 5.0f; }), -1);
    EXPECT_EQ(p.lastWhere(Series::Signal, 0, 2, [](float v) { return v > 2.5f; }), 0);
    EXPECT_EQ(p.lastWhere(Series::Signal, 1, 7, [](float v) { return v > 2.5f; }), -1);
}

// The store: points taken over are appended; clear, delete, polarity and replace rebuild.
TEST(MinMaxPyramid, FollowsTheTraceStoreThroughAppendsAndEdits) {
    std::mt19937 rng(3);
    Chromatogram trace;
    MinMaxPyramid p;
    std::normal_distribution<float> noise(0.0f, 1.0f);
    auto takeOver = [&](int readings) {
        for (int k = 0; k < readings; ++k) trace.appendReading(noise(rng), 20.0f + noise(rng));
        while (trace.takeOverPoint()) {
        }
    };
    auto verify = [&](const char* step) {
        SCOPED_TRACE(step);
        p.sync(trace);
        checkQueries(p, Brute{trace.signalMv(), trace.temperatureC()}, trace.shownCount(), rng, 200);
    };
    takeOver(5000);
    verify("first points");
    takeOver(1);
    verify("one more point");
    takeOver(3000);
    verify("more points");

    trace.reversePolarity();
    verify("polarity");
    trace.deleteStretch(100, 2000);
    verify("delete");
    takeOver(500);
    verify("points after the delete");
    trace.deleteStretch(trace.shownCount() - 10, trace.shownCount() - 3);
    verify("delete near the end");

    std::vector<float> s(7000), t(7000);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = std::sin(static_cast<float>(i) * 0.01f);
        t[i] = static_cast<float>(i) * 0.1f;
    }
    trace.replace(s.data(), t.data(), 7000);
    verify("replace");

    trace.clearTrace();
    verify("clear");
    EXPECT_EQ(p.count(), 0);
    takeOver(800);
    verify("points after the clear");
}

TEST(MinMaxPyramid, InvalidateForcesARebuild) {
    Chromatogram trace;
    std::vector<float> s(100, 1.0f), t(100, 2.0f);
    trace.replace(s.data(), t.data(), 100);
    MinMaxPyramid p(1000);
    p.sync(trace);
    EXPECT_EQ(p.range(Series::Signal, 0, 99).max, 1.0f);
    trace.signalMv()[50] = 9.0f;  // written behind the store's back
    p.invalidate();
    p.sync(trace);
    EXPECT_EQ(p.range(Series::Signal, 0, 99).max, 9.0f);
}

TEST(MinMaxPyramid, QueriesOnTenMillionPoints) {
    Chromatogram trace;
    float* s = trace.signalMv();
    float* t = trace.temperatureC();
    int32_t residue = 0;  // i × 7919 mod 10007, kept running so no product overflows
    for (int i = 0; i < kLastPointIndex; ++i) {
        s[i] = static_cast<float>(residue) * 0.001f;
        residue = (residue + 7919) % 10007;
        t[i] = static_cast<float>(i) * 1e-4f;
    }
    s[9'123'456] = 77.0f;
    trace.replace(s, t, kLastPointIndex);
    MinMaxPyramid p;
    p.sync(trace);
    EXPECT_EQ(p.count(), kLastPointIndex);
    EXPECT_EQ(p.range(Series::Signal, 0, kLastPointIndex - 1).max, 77.0f);
    EXPECT_EQ(p.lastWhere(Series::Signal, 0, kLastPointIndex - 1, [](float v) { return v > 50.0f; }), 9'123'456);
    EXPECT_EQ(p.range(Series::Temperature, 5'000'000, 6'000'000).min, t[5'000'000]);
    EXPECT_EQ(p.range(Series::Temperature, 5'000'000, 6'000'000).max, t[6'000'000]);
    EXPECT_EQ(p.lastWhere(Series::Temperature, 0, 9'000'000, [](float v) { return v < 100.0f; }), 999'999);
}

}  // namespace
}  // namespace vespian
