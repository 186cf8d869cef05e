#include "sim/furnace_model.h"

#include <algorithm>
#include <cmath>

namespace vespian::sim {

namespace {

// The unheated furnace only approaches the room; a target this close to it counts as reached.
constexpr double kNearAmbientC = 0.5;

double effectiveTarget(const ProgramSegment& segment) {
    return std::clamp(static_cast<double>(segment.targetC), kAmbientC, kMaxFurnaceC);
}

}  // namespace

bool FurnaceModel::loadSegment(int number, int targetC, int rateCPerMin, int holdMinutes) {
    if (number < 1 || number > kProgramSegments || rateCPerMin < 1 || holdMinutes < 0) return false;
    segments_[number - 1] = ProgramSegment{true, targetC, rateCPerMin, holdMinutes};
    return true;
}

void FurnaceModel::start() {
    running_ = true;
    segment_ = 0;
    nextSegment();
}

void FurnaceModel::stop() {
    running_ = false;
    segment_ = 0;
    phase_ = Phase::Final;
    segments_ = {};
}

void FurnaceModel::beginSegment(int number) {
    segment_ = number;
    phase_ = Phase::Ramp;
}

void FurnaceModel::nextSegment() {
    // The controller runs segment 1, 2, … and ends at the first one not loaded, as the
    // programme list of the operator program shows them.
    const int number = segment_ + 1;
    if (number <= kProgramSegments && segments_[number - 1].loaded) {
        beginSegment(number);
        return;
    }
    // After the last segment the controller keeps its temperature.
    phase_ = Phase::Final;
    finalC_ = temperature_;
}

void FurnaceModel::advance(double seconds) {
    double left = seconds;
    while (left > 0.0) {
        if (!running_) {
            coolFreely(left);
            return;
        }
        if (phase_ == Phase::Final) {
            temperature_ = finalC_;
            return;
        }
        const ProgramSegment& current = segments_[segment_ - 1];
        if (phase_ == Phase::Ramp) {
            if (ramp(left)) {
                phase_ = Phase::Hold;
                holdLeftS_ = current.holdMinutes * 60.0;
            }
        } else {
            temperature_ = effectiveTarget(current);
            if (holdLeftS_ > left) {
                holdLeftS_ -= left;
                return;
            }
            left -= holdLeftS_;
            holdLeftS_ = 0.0;
            nextSegment();
        }
    }
}

bool FurnaceModel::ramp(double& seconds) {
    const ProgramSegment& current = segments_[segment_ - 1];
    const double target = effectiveTarget(current);
    const double ratePerS = current.rateCPerMin / 60.0;
    double needed = 0.0;
    if (temperature_ < target) {
        needed = (target - temperature_) / ratePerS;
        if (needed > seconds) {
            temperature_ += ratePerS * seconds;
            seconds = 0.0;
            return false;
        }
    } else {
        // Downwards the controller can only switch the heater off: the programmed rate, but
        // never faster than the furnace cools by itself.
        const double goal = std::max(target, kAmbientC + kNearAmbientC);
        if (temperature_ > goal) {
            const double byRate = (temperature_ - goal) / ratePerS;
            const double byCooling =
                kCoolingTimeConstantS * std::log((temperature_ - kAmbientC) / (goal - kAmbientC));
            needed = std::max(byRate, byCooling);
            if (needed > seconds) {
                const double cooled =
                    kAmbientC + (temperature_ - kAmbientC) * std::exp(-seconds / kCoolingTimeConstantS);
                temperature_ = std::max(temperature_ - ratePerS * seconds, cooled);
                seconds = 0.0;
                return false;
            }
        }
    }
    temperature_ = target;
    seconds -= needed;
    return true;
}

void FurnaceModel::coolFreely(double seconds) {
    temperature_ = kAmbientC + (temperature_ - kAmbientC) * std::exp(-seconds / kCoolingTimeConstantS);
}

}  // namespace vespian::sim
