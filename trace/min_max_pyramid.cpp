// The min/max pyramid over the shown points. See min_max_pyramid.h.

#include "trace/min_max_pyramid.h"

#include <algorithm>
#include <limits>

namespace vespian {

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr int32_t kIncrementalAppendLimit = 64;  // longer appends rebuild the touched blocks in bulk

}  // namespace

MinMaxPyramid::MinMaxPyramid(int32_t capacity) : capacity_(std::max(capacity, 1)) {
    int64_t total = 0;
    int64_t blockSize = 1;
    levels_ = 0;
    do {
        ++levels_;
        blockSize <<= kBranchBits;
        levelStart_[levels_] = total;
        total += (capacity_ + blockSize - 1) / blockSize;
    } while (blockSize < capacity_ && levels_ < kMaxLevels);
    // Uninitialised on purpose: the pages are touched only as points arrive.
    nodes_.reset(new Node[static_cast<size_t>(total)]);
}

void MinMaxPyramid::sync(const Chromatogram& trace) {
    const int32_t shown = std::clamp(trace.shownCount(), 0, capacity_);
    if (!valid_ || trace.signalMv() != signal_ || trace.temperatureC() != temperature_ ||
        trace.editGeneration() != generation_ || shown < count_) {
        rebuild(trace.signalMv(), trace.temperatureC(), shown);
        generation_ = trace.editGeneration();
        return;
    }
    if (shown > count_) {
        append(shown);
    }
}

void MinMaxPyramid::rebuild(const float* signal, const float* temperature, int32_t count) {
    signal_ = signal;
    temperature_ = temperature;
    count_ = 0;
    valid_ = true;
    const int32_t n = std::clamp(count, 0, capacity_);
    if (n > 0 && signal != nullptr && temperature != nullptr) {
        buildRange(0, n);
        count_ = n;
    }
}

void MinMaxPyramid::append(int32_t newCount) {
    newCount = std::min(newCount, capacity_);
    if (newCount <= count_ || signal_ == nullptr || temperature_ == nullptr) {
        return;
    }
    if (newCount - count_ <= kIncrementalAppendLimit) {
        for (int32_t i = count_; i < newCount; ++i) appendOne(i);
    } else {
        buildRange(count_, newCount);
    }
    count_ = newCount;
}

void MinMaxPyramid::appendOne(int32_t i) {
    const float s = sanitized(signal_[i]);
    const float t = sanitized(temperature_[i]);
    for (int level = 1; level <= levels_; ++level) {
        const int shift = kBranchBits * level;
        Node& n = node(level, i >> shift);
        if ((i & ((int64_t{1} << shift) - 1)) == 0) {
            n = Node{s, s, t, t};
        } else {
            n.signalMin = std::min(n.signalMin, s);
            n.signalMax = std::max(n.signalMax, s);
            n.temperatureMin = std::min(n.temperatureMin, t);
            n.temperatureMax = std::max(n.temperatureMax, t);
        }
    }
}

// Recomputes every node that covers a point of from .. to − 1 from the level below, over the
// points 0 .. to − 1 (the earlier points of a touched block included).
void MinMaxPyramid::buildRange(int32_t from, int32_t to) {
    {
        const int64_t first = from >> kBranchBits;
        const int64_t last = (static_cast<int64_t>(to) - 1) >> kBranchBits;
        for (int64_t j = first; j <= last; ++j) {
            const int64_t begin = j << kBranchBits;
            const int64_t end = std::min<int64_t>(begin + kBranch, to);
            float sMin = kInf, sMax = -kInf, tMin = kInf, tMax = -kInf;
            for (int64_t i = begin; i < end; ++i) {
                const float s = sanitized(signal_[i]);
                const float t = sanitized(temperature_[i]);
                sMin = std::min(sMin, s);
                sMax = std::max(sMax, s);
                tMin = std::min(tMin, t);
                tMax = std::max(tMax, t);
            }
            node(1, j) = Node{sMin, sMax, tMin, tMax};
        }
    }
    for (int level = 2; level <= levels_; ++level) {
        const int shift = kBranchBits * level;
        const int64_t childShift = kBranchBits * (level - 1);
        const int64_t children = ((static_cast<int64_t>(to) - 1) >> childShift) + 1;  // nodes below in use
        const int64_t first = from >> shift;
        const int64_t last = (static_cast<int64_t>(to) - 1) >> shift;
        for (int64_t j = first; j <= last; ++j) {
            const int64_t begin = j << kBranchBits;
            const int64_t end = std::min<int64_t>(begin + kBranch, children);
            Node out{kInf, -kInf, kInf, -kInf};
            for (int64_t c = begin; c < end; ++c) {
                const Node& n = node(level - 1, c);
                out.signalMin = std::min(out.signalMin, n.signalMin);
                out.signalMax = std::max(out.signalMax, n.signalMax);
                out.temperatureMin = std::min(out.temperatureMin, n.temperatureMin);
                out.temperatureMax = std::max(out.temperatureMax, n.temperatureMax);
            }
            node(level, j) = out;
        }
    }
}

// Visits a .. b as few values and nodes as cover it exactly: loose values at both ends up to a
// block boundary, then whole blocks level by level.
template <class TakeValue, class TakeNode>
void MinMaxPyramid::cover(int64_t a, int64_t b, TakeValue takeValue, TakeNode takeNode) const {
    constexpr int64_t mask = kBranch - 1;
    int64_t first = a, last = b;
    while (first <= last && (first & mask) != 0) takeValue(first++);
    while (first <= last && ((last + 1) & mask) != 0) takeValue(last--);
    for (int level = 1; first <= last; ++level) {
        first >>= kBranchBits;
        last = ((last + 1) >> kBranchBits) - 1;
        if (level == levels_) {
            while (first <= last) takeNode(level, first++);
            break;
        }
        while (first <= last && (first & mask) != 0) takeNode(level, first++);
        while (first <= last && ((last + 1) & mask) != 0) takeNode(level, last--);
    }
}

MinMaxPyramid::Range MinMaxPyramid::range(Series series, int32_t a, int32_t b) const {
    Range r{kInf, -kInf};
    if (a < 0) a = 0;
    if (b > count_ - 1) b = count_ - 1;
    if (a > b) return r;
    const float* values = series == Series::Signal ? signal_ : temperature_;
    auto takeValue = [&](int64_t i) {
        const float v = sanitized(values[i]);
        r.min = std::min(r.min, v);
        r.max = std::max(r.max, v);
    };
    auto takeNode = [&](int level, int64_t i) {
        const Node& n = node(level, i);
        r.min = std::min(r.min, lo(n, series));
        r.max = std::max(r.max, hi(n, series));
    };
    cover(a, b, takeValue, takeNode);
    return r;
}

MinMaxPyramid::BothRanges MinMaxPyramid::ranges(int32_t a, int32_t b) const {
    BothRanges r{{kInf, -kInf}, {kInf, -kInf}};
    if (a < 0) a = 0;
    if (b > count_ - 1) b = count_ - 1;
    if (a > b) return r;
    auto takeValue = [&](int64_t i) {
        const float s = sanitized(signal_[i]);
        const float t = sanitized(temperature_[i]);
        r.signal.min = std::min(r.signal.min, s);
        r.signal.max = std::max(r.signal.max, s);
        r.temperature.min = std::min(r.temperature.min, t);
        r.temperature.max = std::max(r.temperature.max, t);
    };
    auto takeNode = [&](int level, int64_t i) {
        const Node& n = node(level, i);
        r.signal.min = std::min(r.signal.min, n.signalMin);
        r.signal.max = std::max(r.signal.max, n.signalMax);
        r.temperature.min = std::min(r.temperature.min, n.temperatureMin);
        r.temperature.max = std::max(r.temperature.max, n.temperatureMax);
    };
    cover(a, b, takeValue, takeNode);
    return r;
}

}  // namespace vespian
