#include "analysis/desorption_kinetics.h"

#include <algorithm>
#include <cmath>

#include "analysis/ceres_support.h"
#include "analysis/kissinger.h"
#include "analysis/peak_maxima.h"
#include "analysis/redhead.h"

namespace vespian {

namespace {

constexpr double kZeroCelsiusK = 273.15;
constexpr double kJoulePerKJ = 1000.0;
constexpr double kMinOrder = 0.3;
constexpr double kMaxOrder = 3.0;

inline double scalar(double x) { return x; }
template <typename T, int N>
double scalar(const ceres::Jet<T, N>& x) {
    return x.a;
}

// The coverage after `dt` seconds at the rate constant k from θ, for order 1 + ε, the rate
// constant taken as steady over the step: θ (1 + ε u)^(−1/ε) with u = k dt θ^ε, which tends to
// θ e^(−u) as ε → 0 (taken by its series there, so the derivative by ε survives at first order).
template <typename T>
T coverageAfter(const T& theta, const T& k, const T& epsilon, double dt) {
    if (!(scalar(theta) > 1e-300)) return T(0.0);
    const T u = k * dt * exp(epsilon * log(theta));
    const T eu = epsilon * u;
    T lnRatio;
    if (std::abs(scalar(eu)) < 1e-4) {
        lnRatio = -u * (1.0 - eu / 2.0 + eu * eu / 3.0);  // −log1p(εu)/ε
    } else if (scalar(eu) <= -1.0) {
        return T(0.0);  // below first order the site empties within the step
    } else {
        lnRatio = -log1p(eu) / epsilon;
    }
    return theta * exp(lnRatio);
}

// The detector signal of one run: A·(θ before − θ after)/dt for each point's step, with the
// rate constant k = exp(q + (E/R)(1/Tref − 1/T)), q = ln k at Tref. q and E are nearly
// independent unknowns, where ln ν and E are not.
template <typename T, typename Out>
void runSignal(const std::vector<double>& kelvin, double dt, double inverseTref, const T& energyKJ, const T& q,
               const T& epsilon, const T& amplitude, Out&& out) {
    const T eOverR = energyKJ * (kJoulePerKJ / kGasConstantJPerMolK);
    T theta(1.0);
    for (size_t i = 0; i < kelvin.size(); ++i) {
        const T k = exp(q + eOverR * (inverseTref - 1.0 / kelvin[i]));
        const T next = coverageAfter(theta, k, epsilon, dt);
        out(i, amplitude * (theta - next) / dt);
        theta = next;
    }
}

struct PreparedRun {
    std::vector<double> kelvin;  // smoothed
    std::vector<double> signal;
    double dt = kSecondsPerPoint;
    double tmK = 0.0;
    double areaMvS = 0.0;
    HeatingRate rate{};
};

struct RunResidual {
    const PreparedRun* run;
    double inverseTref;
    template <typename T>
    bool operator()(const T* kinetics, const T* order, const T* amplitude, T* residual) const {
        runSignal(run->kelvin, run->dt, inverseTref, kinetics[0], kinetics[1], order[0] - 1.0, amplitude[0],
                  [&](size_t i, const T& model) { residual[i] = run->signal[i] - model; });
        return true;
    }
};

KineticsFit failed(KineticsStatus status) {
    KineticsFit fit;
    fit.status = status;
    return fit;
}

// The temperature at the top of a fitted curve: the vertex of the parabola through its points
// above 90 % of the maximum. The curve follows the recorded temperature, whose jitter of a
// few hundredths of a degree would move a bare maximum by several points.
double curveTopTemperature(const std::vector<float>& curve, const std::vector<double>& kelvin) {
    const auto top = std::max_element(curve.begin(), curve.end()) - curve.begin();
    const float limit = 0.9f * curve[static_cast<size_t>(top)];
    auto from = top, to = top;
    while (from > 0 && curve[static_cast<size_t>(from - 1)] >= limit) --from;
    while (to + 1 < static_cast<ptrdiff_t>(curve.size()) && curve[static_cast<size_t>(to + 1)] >= limit) ++to;
    // Least squares y = a + b x + c x² about the top (x in points from it), normal equations.
    double s[5] = {}, t[3] = {};
    for (auto i = from; i <= to; ++i) {
        const double x = static_cast<double>(i - top), y = curve[static_cast<size_t>(i)];
        double p = 1.0;
        for (int k = 0; k < 5; ++k) {
            s[k] += p;
            if (k < 3) t[k] += p * y;
            p *= x;
        }
    }
    // Cramer's rule on [[s0 s1 s2][s1 s2 s3][s2 s3 s4]]·(a b c) = t.
    auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h, double i) {
        return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    };
    const double d = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    double vertex = 0.0;
    if (to - from >= 2 && d != 0.0) {
        const double b = det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / d;
        const double c = det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / d;
        if (c < 0.0) vertex = std::clamp(-b / (2.0 * c), static_cast<double>(from - top), static_cast<double>(to - top));
    }
    const double at = static_cast<double>(top) + vertex;
    const auto below = static_cast<size_t>(std::floor(at));
    const double frac = at - static_cast<double>(below);
    if (below + 1 >= kelvin.size()) return kelvin.back();
    return kelvin[below] + frac * (kelvin[below + 1] - kelvin[below]);
}

IntervalEstimate interval(double value, double u, double t) { return {value, u, value - t * u, value + t * u}; }

}  // namespace

std::vector<float> polanyiWignerSignal(std::span<const float> temperatureC, double secondsPerPoint,
                                       double energyKJPerMol, double frequencyPerS, double order,
                                       double amplitudeMvS) {
    std::vector<double> kelvin(temperatureC.begin(), temperatureC.end());
    for (double& t : kelvin) t += kZeroCelsiusK;
    std::vector<float> signal(kelvin.size(), 0.0f);
    if (!(frequencyPerS > 0.0) || !(secondsPerPoint > 0.0)) return signal;
    runSignal(kelvin, secondsPerPoint, 0.0, energyKJPerMol, std::log(frequencyPerS), order - 1.0, amplitudeMvS,
              [&](size_t i, double v) { signal[i] = static_cast<float>(v); });
    return signal;
}

KineticsFit fitDesorptionKinetics(std::span<const KineticRun> runs, const KineticsOptions& options) {
    if (runs.empty()) return failed(KineticsStatus::NoRuns);
    if (runs.size() > static_cast<size_t>(kMaxKineticRuns)) return failed(KineticsStatus::TooManyRuns);
    const auto runCount = static_cast<int32_t>(runs.size());
    std::vector<PreparedRun> prepared(runs.size());
    int64_t totalPoints = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        const KineticRun& in = runs[r];
        if (in.signalMv.size() != in.temperatureC.size() || in.signalMv.size() < 10 || !(in.secondsPerPoint > 0.0)) {
            return failed(KineticsStatus::RunMismatch);
        }
        for (size_t i = 0; i < in.signalMv.size(); ++i) {
            if (!std::isfinite(in.signalMv[i]) || !std::isfinite(in.temperatureC[i])) {
                return failed(KineticsStatus::NonFiniteData);
            }
        }
        PreparedRun& p = prepared[r];
        p.dt = in.secondsPerPoint;
        // The thermocouple's jitter of tenths of a degree would enter exp(−E/RT) point by point.
        std::vector<float> smooth(in.temperatureC.size());
        smoothSignal(in.temperatureC, kDefaultSmoothingHalfWidth, smooth);
        p.kelvin.assign(smooth.begin(), smooth.end());
        for (double& t : p.kelvin) t += kZeroCelsiusK;
        p.signal.assign(in.signalMv.begin(), in.signalMv.end());
        std::vector<float> smoothSignalMv(in.signalMv.size());
        smoothSignal(in.signalMv, kDefaultSmoothingHalfWidth, smoothSignalMv);
        const auto top = std::max_element(smoothSignalMv.begin(), smoothSignalMv.end()) - smoothSignalMv.begin();
        p.tmK = p.kelvin[static_cast<size_t>(top)];
        for (double v : p.signal) p.areaMvS += v * p.dt;
        if (!(smoothSignalMv[static_cast<size_t>(top)] > 0.0f) || !(p.areaMvS > 0.0)) {
            return failed(KineticsStatus::NoPeak);
        }
        p.rate = heatingRateFromTrace(in.temperatureC, in.secondsPerPoint);
        totalPoints += static_cast<int64_t>(p.signal.size());
    }

    // Start from Kissinger's line through the runs' maxima, or from Redhead's estimate for one.
    double energyKJ = 0.0, frequency = 0.0;
    std::vector<double> rates, tms;
    for (const PreparedRun& p : prepared) {
        if (p.rate.ok()) {
            rates.push_back(p.rate.rateCPerMin);
            tms.push_back(p.tmK - kZeroCelsiusK);
        }
    }
    if (rates.size() >= 2) {
        const KissingerFit k = kissingerFit(rates, tms);
        if (k.ok() && k.frequencyFactorPerS > 0.0) {
            energyKJ = k.energyKJPerMol;
            frequency = k.frequencyFactorPerS;
        }
    }
    if (!(energyKJ > 0.0) && !rates.empty()) {
        const RedheadEstimate e = redheadEstimate(tms[0], rates[0]);
        if (e.ok()) {
            energyKJ = e.energyKJPerMol;
            frequency = e.assumedFrequencyPerS;
        }
    }
    if (!(energyKJ > 0.0) || !(frequency > 0.0)) return failed(KineticsStatus::NoStart);

    double tref = 0.0;
    for (const PreparedRun& p : prepared) tref += p.tmK;
    tref /= runCount;
    const double inverseTref = 1.0 / tref;
    const double eOverRPerKJ = kJoulePerKJ / kGasConstantJPerMolK;

    std::array<double, 2> kinetics = {energyKJ, std::log(frequency) - energyKJ * eOverRPerKJ * inverseTref};
    double order = std::clamp(options.order, kMinOrder, kMaxOrder);
    std::vector<double> amplitudes(prepared.size());
    for (size_t r = 0; r < prepared.size(); ++r) amplitudes[r] = prepared[r].areaMvS;

    ceres::Problem problem;
    for (size_t r = 0; r < prepared.size(); ++r) {
        auto* cost = new ceres::AutoDiffCostFunction<RunResidual, ceres::DYNAMIC, 2, 1, 1>(
            new RunResidual{&prepared[r], inverseTref}, static_cast<int>(prepared[r].signal.size()));
        problem.AddResidualBlock(cost, nullptr, kinetics.data(), &order, &amplitudes[r]);
        problem.SetParameterLowerBound(&amplitudes[r], 0, 0.0);
    }
    problem.SetParameterLowerBound(kinetics.data(), 0, 1.0);
    problem.SetParameterUpperBound(kinetics.data(), 0, 2000.0);
    if (options.fitOrder) {
        problem.SetParameterLowerBound(&order, 0, kMinOrder);
        problem.SetParameterUpperBound(&order, 0, kMaxOrder);
    } else {
        problem.SetParameterBlockConstant(&order);
    }
    ceres::Solver::Summary summary;
    ceres::Solve(fitSolverOptions(options.maxIterations), &problem, &summary);
    if (!summary.IsSolutionUsable()) return failed(KineticsStatus::NotConverged);

    KineticsFit fit;
    fit.status = summary.termination_type == ceres::CONVERGENCE ? KineticsStatus::Ok : KineticsStatus::NotConverged;
    fit.iterations = solverSteps(summary);
    fit.runCount = runCount;
    fit.orderFitted = options.fitOrder;
    const int32_t parameters = 2 + (options.fitOrder ? 1 : 0) + runCount;
    const int64_t freedom = totalPoints - parameters;
    const double t = studentT95(static_cast<int32_t>(std::min<int64_t>(freedom, 1'000'000)));

    // Covariance in the solver's unknowns, then E and ln ν = q + (E/R)/Tref.
    std::vector<double*> blocks = {kinetics.data()};
    std::vector<int32_t> sizes = {2};
    if (options.fitOrder) {
        blocks.push_back(&order);
        sizes.push_back(1);
    }
    for (double& a : amplitudes) {
        blocks.push_back(&a);
        sizes.push_back(1);
    }
    ParameterCovariance solverCov;
    if (freedom > 0) blockCovariance(problem, blocks, sizes, 2.0 * summary.final_cost / static_cast<double>(freedom), solverCov);
    const double c = eOverRPerKJ * inverseTref;  // ∂ln ν/∂E
    if (solverCov.available()) {
        fit.covariance = solverCov;
        const int32_t np = solverCov.size;
        // Rows and columns of q become those of ln ν: new = J·old·Jᵀ with J = [[1,0],[c,1]].
        std::vector<double>& v = fit.covariance.values;
        for (int32_t j = 0; j < np; ++j) v[static_cast<size_t>(np + j)] += c * solverCov.at(0, j);
        for (int32_t j = 0; j < np; ++j) v[static_cast<size_t>(j * np + 1)] = v[static_cast<size_t>(np + j)];
        v[static_cast<size_t>(np + 1)] = solverCov.at(1, 1) + 2.0 * c * solverCov.at(0, 1) + c * c * solverCov.at(0, 0);
    }
    const ParameterCovariance& cov = fit.covariance;
    fit.energyKJPerMol = interval(kinetics[0], cov.standardError(0), t);
    const double lnFrequency = kinetics[1] + c * kinetics[0];
    fit.frequencyPerS = std::exp(lnFrequency);
    fit.lnFrequencyU = cov.standardError(1);
    fit.frequencyLowPerS = std::exp(lnFrequency - t * fit.lnFrequencyU);
    fit.frequencyHighPerS = std::exp(lnFrequency + t * fit.lnFrequencyU);
    fit.order = interval(order, options.fitOrder ? cov.standardError(2) : 0.0, options.fitOrder ? t : 0.0);

    double allSquares = 0.0;
    const int32_t firstAmplitude = options.fitOrder ? 3 : 2;
    for (int32_t r = 0; r < runCount; ++r) {
        const PreparedRun& p = prepared[static_cast<size_t>(r)];
        KineticRunFit& out = fit.runs[static_cast<size_t>(r)];
        out.amplitudeMvS = amplitudes[static_cast<size_t>(r)];
        out.amplitudeU = cov.standardError(firstAmplitude + r);
        out.heatingRate = p.rate;
        out.fittedMv.assign(p.signal.size(), 0.0f);
        out.residualMv.assign(p.signal.size(), 0.0f);
        double squares = 0.0;
        runSignal(p.kelvin, p.dt, inverseTref, kinetics[0], kinetics[1], order - 1.0, out.amplitudeMvS,
                  [&](size_t i, double model) {
                      out.fittedMv[i] = static_cast<float>(model);
                      out.residualMv[i] = static_cast<float>(p.signal[i] - model);
                      squares += (p.signal[i] - model) * (p.signal[i] - model);
                  });
        out.peakTemperatureC = curveTopTemperature(out.fittedMv, p.kelvin) - kZeroCelsiusK;
        out.rmsResidualMv = std::sqrt(squares / static_cast<double>(p.signal.size()));
        allSquares += squares;
    }
    fit.rmsResidualMv = std::sqrt(allSquares / static_cast<double>(totalPoints));
    return fit;
}

}  // namespace vespian
