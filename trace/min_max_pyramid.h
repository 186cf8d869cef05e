#pragma once
// A min/max pyramid over the shown points of the trace: for both series (signal and
// temperature), the least and greatest value of every aligned block of 16, 256, 4096, ... points.
// It answers, in O(levels × 16) steps whatever the length of the range:
// - the least and greatest value over an index range;
// - the last index in a range whose value satisfies a predicate p whose "false" set is an
//   interval of values (for example "maps to a pixel other than Y" or "maps to a pixel ≤ Y" under
//   a monotone transform): a block holds such a value exactly when p(block min) or p(block max).
//
// The level-0 values are read from the trace store's arrays themselves; the levels above are
// allocated once for the whole capacity (10,000,000 points, about 10.7 MB, untouched pages cost
// nothing) and never per redraw. `sync` keeps the pyramid in step with the store: points taken
// over since the last call are appended; an edit (Chromatogram::editGeneration() changed) or a
// shrinking shownCount rebuilds it.
//
// NaN values count as 0.0 throughout (a NaN maps to the same pixel as 0.0 in every transform of
// trace_view.h), so block minima and maxima stay meaningful.

#include <cstdint>
#include <memory>

#include "trace/chromatogram.h"

namespace vespian {

class MinMaxPyramid {
public:
    static constexpr int kBranchBits = 4;
    static constexpr int32_t kBranch = 1 << kBranchBits;

    enum class Series { Signal, Temperature };
    struct Range {
        float min;
        float max;
        bool empty() const { return !(min <= max); }
    };
    struct BothRanges {
        Range signal;
        Range temperature;
    };

    explicit MinMaxPyramid(int32_t capacity = kMaxPoints);
    MinMaxPyramid(const MinMaxPyramid&) = delete;
    MinMaxPyramid& operator=(const MinMaxPyramid&) = delete;

    int32_t capacity() const { return capacity_; }
    int32_t count() const { return count_; }
    int levels() const { return levels_; }

    // Brings the pyramid up to the store's shownCount (UI thread).
    void sync(const Chromatogram& trace);
    // Builds over count points of the two arrays (count is clamped to the capacity).
    void rebuild(const float* signal, const float* temperature, int32_t count);
    // Extends over the same arrays to newCount points (newCount ≥ count()).
    void append(int32_t newCount);
    // Forgets everything: the next sync rebuilds.
    void invalidate() { valid_ = false; }

    static float sanitized(float v) { return v == v ? v : 0.0f; }
    float value(Series series, int32_t i) const {
        return sanitized(series == Series::Signal ? signal_[i] : temperature_[i]);
    }

    // Least and greatest value over a .. b (inclusive, clipped to 0 .. count − 1); an empty range
    // gives min > max.
    Range range(Series series, int32_t a, int32_t b) const;
    BothRanges ranges(int32_t a, int32_t b) const;

    // The last index i in a .. b (clipped to 0 .. count − 1) with pred(value(i)), or −1. pred's
    // false set must be an interval of values.
    template <class Pred>
    int32_t lastWhere(Series series, int32_t a, int32_t b, Pred pred) const {
        return lastWhere(series, a, b, pred, [&](float lo, float hi) { return pred(lo) || pred(hi); });
    }
    // The same with the block test given: blockHolds(min, max) must be true exactly when some
    // value in [min, max] satisfies pred.
    template <class Pred, class BlockPred>
    int32_t lastWhere(Series series, int32_t a, int32_t b, Pred pred, BlockPred blockHolds) const;

    // The last index in a .. b whose value is ≥ threshold, or ≤ threshold (−1 if none).
    int32_t lastAtLeast(Series series, int32_t a, int32_t b, float threshold) const {
        return lastWhere(
            series, a, b, [threshold](float v) { return v >= threshold; },
            [threshold](float, float hi) { return hi >= threshold; });
    }
    int32_t lastAtMost(Series series, int32_t a, int32_t b, float threshold) const {
        return lastWhere(
            series, a, b, [threshold](float v) { return v <= threshold; },
            [threshold](float lo, float) { return lo <= threshold; });
    }

    // The last index in a .. b whose value maps to a pixel other than y under the monotone map.
    template <class Map>
    int32_t lastMappingElsewhere(Series series, int32_t a, int32_t b, Map map, int32_t y) const {
        return lastWhere(series, a, b, [&](float v) { return map(v) != y; });
    }

private:
    template <class TakeValue, class TakeNode>
    void cover(int64_t a, int64_t b, TakeValue takeValue, TakeNode takeNode) const;

    struct Node {
        float signalMin, signalMax, temperatureMin, temperatureMax;
    };
    const Node& node(int level, int64_t index) const { return nodes_[levelStart_[level] + index]; }
    Node& node(int level, int64_t index) { return nodes_[levelStart_[level] + index]; }
    static float lo(const Node& n, Series s) { return s == Series::Signal ? n.signalMin : n.temperatureMin; }
    static float hi(const Node& n, Series s) { return s == Series::Signal ? n.signalMax : n.temperatureMax; }
    void buildRange(int32_t from, int32_t to);
    void appendOne(int32_t i);

    static constexpr int kMaxLevels = 8;
    int32_t capacity_ = 0;
    int levels_ = 0;                    // levels above the points: 1 .. levels_
    int64_t levelStart_[kMaxLevels + 1] = {};
    std::unique_ptr<Node[]> nodes_;
    const float* signal_ = nullptr;
    const float* temperature_ = nullptr;
    int32_t count_ = 0;
    uint64_t generation_ = 0;
    bool valid_ = false;
};

template <class Pred, class BlockPred>
int32_t MinMaxPyramid::lastWhere(Series series, int32_t a, int32_t b, Pred pred, BlockPred blockHolds) const {
    if (a < 0) a = 0;
    if (b > count_ - 1) b = count_ - 1;
    if (a > b) return -1;
    const float* values = series == Series::Signal ? signal_ : temperature_;
    auto at = [&](int64_t i) { return pred(sanitized(values[i])); };
    auto hit = [&](int level, int64_t index) {
        const Node& n = node(level, index);
        return blockHolds(lo(n, series), hi(n, series));
    };
    // The node (level, index) holds a hit: walk down to the last one.
    auto descend = [&](int level, int64_t index) -> int32_t {
        for (int l = level; l > 1; --l) {
            const int64_t first = index << kBranchBits;
            int64_t c = first + kBranch - 1;
            while (c > first && !hit(l - 1, c)) --c;
            index = c;
        }
        const int64_t first = index << kBranchBits;
        int64_t i = first + kBranch - 1;
        while (i > first && !at(i)) --i;
        return static_cast<int32_t>(i);
    };

    int64_t pos = b;
    int level = 0;
    // Climb: take whole blocks of the current level from the right until pos + 1 is aligned to
    // the next level, then go up.
    while (true) {
        const int64_t size = int64_t{1} << (kBranchBits * level);
        const int64_t nextMask = (size << kBranchBits) - 1;
        bool fits = true;
        while (pos >= a && ((pos + 1) & nextMask) != 0) {
            if (pos - size + 1 < a) {
                fits = false;
                break;
            }
            if (level == 0) {
                if (at(pos)) return static_cast<int32_t>(pos);
            } else if (hit(level, pos >> (kBranchBits * level))) {
                return descend(level, pos >> (kBranchBits * level));
            }
            pos -= size;
        }
        if (pos < a) return -1;
        if (!fits || level == levels_) break;
        ++level;
        if (pos - (int64_t{1} << (kBranchBits * level)) + 1 < a) break;
    }
    // Descend: the remaining a .. pos is shorter than a block of this level; take smaller blocks.
    for (int l = level; l >= 0; --l) {
        const int64_t size = int64_t{1} << (kBranchBits * l);
        while (pos - size + 1 >= a) {
            if (l == 0) {
                if (at(pos)) return static_cast<int32_t>(pos);
            } else if (hit(l, pos >> (kBranchBits * l))) {
                return descend(l, pos >> (kBranchBits * l));
            }
            pos -= size;
        }
    }
    return -1;
}

}  // namespace vespian
