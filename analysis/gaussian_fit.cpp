#include "analysis/gaussian_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/ceres_support.h"

namespace vespian {

namespace {

constexpr int32_t kMaxParameters = 4 * kMaxFitComponents;
// Beyond this many widths a Gaussian adds less than 1e-10 of its height: skipped.
constexpr double kReachWidths = 7.0;
// The desorption shape's reach: below −24 widths and above 3.2 it is under 1e-10 of its height.
constexpr double kDesorptionReachBelow = -24.0;
constexpr double kDesorptionReachAbove = 3.2;
constexpr double kMinWidth = 0.3;  // points; narrower than one sample means no shape at all
constexpr double kHalfMaxWidths = 1.1774100225154747;  // √(2 ln 2): half width at half max per σ
// Longer stretches are fitted to means of neighbouring points, which keeps the solver's
// Jacobian within some tens of megabytes; the widths of real peaks are thousands of points.
constexpr int64_t kMaxFittedPoints = 200'000;

// The stretch's temperature as a straight line over the point index, in K.
struct Ramp {
    double startK = 0.0;
    double kPerPoint = 0.0;
};

inline double scalar(double v) { return v; }
template <int N>
double scalar(const ceres::Jet<double, N>& v) {
    return v.a;
}

// The first-order desorption shape (see the header); false beyond its reach, where it is below
// 1e-10 of its height.
template <typename T>
bool desorptionValue(const T& c, const T& h, const T& w, double x, const Ramp& ramp, T& value) {
    const T z = (x - c) / w;
    T rho(1.0), epsilon(0.0);
    if (ramp.kPerPoint != 0.0) {
        const T tm = ramp.startK + ramp.kPerPoint * c;
        if (!(scalar(tm) > 0.0)) return false;
        rho = 1.0 + ramp.kPerPoint * (x - c) / tm;
        epsilon = 2.0 * ramp.kPerPoint * w / tm;
        // Below absolute zero, or a peak as wide as its own temperature: no desorption shape.
        if (!(scalar(rho) > 0.05) || !(std::abs(scalar(epsilon)) < 0.5)) return false;
    }
    const T y = z / rho;
    if (scalar(y) < kDesorptionReachBelow || scalar(y) > kDesorptionReachAbove) return false;
    value = h * exp(1.0 + y - rho * rho * exp(y) * (1.0 - epsilon * rho) / (1.0 - epsilon));
    return true;
}

// One component's value at x and, when `partial` is given, its derivatives by the component's
// parameters (centre, height, width or rising and falling width). False: out of reach.
inline bool component(PeakShape shape, const double* q, const Ramp& ramp, double x, double& value, double* partial) {
    const double c = q[0], h = q[1];
    if (shape == PeakShape::FirstOrderDesorption) {
        if (partial == nullptr) return desorptionValue(c, h, q[2], x, ramp, value);
        using Jet = ceres::Jet<double, 3>;
        Jet v;
        if (!desorptionValue(Jet(c, 0), Jet(h, 1), Jet(q[2], 2), x, ramp, v)) return false;
        value = v.a;
        for (int j = 0; j < 3; ++j) partial[j] = v.v[j];
        return true;
    }
    const bool risingSide = x < c;
    const double sigma = (shape == PeakShape::AsymmetricGaussian && !risingSide) ? q[3] : q[2];
    const double z = (x - c) / sigma;
    if (std::abs(z) > kReachWidths) return false;
    const double g = std::exp(-0.5 * z * z);
    value = h * g;
    if (partial != nullptr) {
        const double hgz = h * g * z / sigma;
        partial[0] = hgz;
        partial[1] = g;
        if (shape == PeakShape::AsymmetricGaussian) {
            partial[2] = risingSide ? hgz * z : 0.0;
            partial[3] = risingSide ? 0.0 : hgz * z;
        } else {
            partial[2] = hgz * z;
        }
    }
    return true;
}

// The least-squares line of the stretch's temperature (K) over the point index.
Ramp rampOf(std::span<const float> temperatureC) {
    Ramp ramp;
    const auto n = static_cast<int64_t>(temperatureC.size());
    if (n < 2) return ramp;
    const double centre = 0.5 * static_cast<double>(n - 1);
    double sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int64_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) - centre, y = temperatureC[static_cast<size_t>(i)];
        if (!std::isfinite(y)) return {};
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    ramp.kPerPoint = sxy / sxx;
    ramp.startK = sy / static_cast<double>(n) + 273.15 - ramp.kPerPoint * centre;
    return ramp;
}

// The stretch as the solver sees it: point values, or means of `binning` neighbouring points
// placed at their mean index.
struct FittedData {
    std::vector<double> x;
    std::vector<double> y;
};

FittedData fittedData(std::span<const float> signal) {
    FittedData d;
    const auto n = static_cast<int64_t>(signal.size());
    const int64_t binning = (n + kMaxFittedPoints - 1) / kMaxFittedPoints;
    for (int64_t from = 0; from < n; from += binning) {
        const int64_t to = std::min(from + binning, n);
        double sum = 0.0;
        for (int64_t i = from; i < to; ++i) sum += signal[static_cast<size_t>(i)];
        d.x.push_back(0.5 * static_cast<double>(from + to - 1));
        d.y.push_back(sum / static_cast<double>(to - from));
    }
    return d;
}

// Residuals y − Σ components over every fitted point; one parameter block per component.
class ComponentsCost final : public ceres::CostFunction {
public:
    ComponentsCost(const FittedData& data, PeakShape shape, const Ramp& ramp, int32_t components)
        : data_(data), shape_(shape), ramp_(ramp), components_(components), per_(shapeParameters(shape)) {
        set_num_residuals(static_cast<int>(data.x.size()));
        for (int32_t k = 0; k < components; ++k) mutable_parameter_block_sizes()->push_back(per_);
    }

    bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
        const size_t n = data_.x.size();
        double partial[4];
        for (size_t i = 0; i < n; ++i) {
            double model = 0.0;
            for (int32_t k = 0; k < components_; ++k) {
                double* row = jacobians != nullptr && jacobians[k] != nullptr ? jacobians[k] + i * per_ : nullptr;
                double value = 0.0;
                if (component(shape_, parameters[k], ramp_, data_.x[i], value, row != nullptr ? partial : nullptr)) {
                    model += value;
                    if (row != nullptr) {
                        for (int32_t j = 0; j < per_; ++j) row[j] = -partial[j];
                    }
                } else if (row != nullptr) {
                    std::fill_n(row, per_, 0.0);
                }
            }
            residuals[i] = data_.y[i] - model;
        }
        return true;
    }

private:
    const FittedData& data_;
    PeakShape shape_;
    Ramp ramp_;
    int32_t components_;
    int32_t per_;
};

struct Model {
    PeakShape shape = PeakShape::Gaussian;
    Ramp ramp{};
    int32_t components = 0;
    int32_t per = 3;
    std::array<double, kMaxParameters> p{};

    double* block(int32_t k) { return &p[static_cast<size_t>(k * per)]; }
    const double* block(int32_t k) const { return &p[static_cast<size_t>(k * per)]; }
    double valueAt(double x) const {
        double sum = 0.0;
        for (int32_t k = 0; k < components; ++k) {
            double v = 0.0;
            if (component(shape, block(k), ramp, x, v, nullptr)) sum += v;
        }
        return sum;
    }
};

// The width parameter that gives a peak of the shape the half-maximum width `sigma` of a
// Gaussian's σ on its flanks.
double widthFromSigma(PeakShape shape, double sigma) {
    // The desorption shape is at half maximum 2.446 w wide (z = −1.461 to 0.985), a Gaussian
    // 2.355 σ.
    return shape == PeakShape::FirstOrderDesorption ? sigma * 2.3548 / 2.4464 : sigma;
}

// Keeps the parameters where the model means something: centres on the stretch, widths between
// a fraction of a point and the stretch, heights not negative.
void constrain(Model& m, double points) {
    for (int32_t k = 0; k < m.components; ++k) {
        double* q = m.block(k);
        q[0] = std::clamp(q[0], 0.0, points - 1.0);
        q[1] = std::max(q[1], 0.0);
        for (int32_t w = 2; w < m.per; ++w) q[w] = std::clamp(q[w], kMinWidth, points);
    }
}

// Solves the k × k system a·x = b (row stride kMaxFitComponents) by Gaussian elimination with
// pivoting; false when it is singular.
bool solveSmall(std::array<double, kMaxFitComponents * kMaxFitComponents> a, std::array<double, kMaxFitComponents> b,
                int32_t k, std::array<double, kMaxFitComponents>& x) {
    constexpr int32_t s = kMaxFitComponents;
    for (int32_t col = 0; col < k; ++col) {
        int32_t pivot = col;
        for (int32_t r = col + 1; r < k; ++r) {
            if (std::abs(a[r * s + col]) > std::abs(a[pivot * s + col])) pivot = r;
        }
        if (!(std::abs(a[pivot * s + col]) > 1e-300)) return false;
        for (int32_t c = 0; c < k; ++c) std::swap(a[col * s + c], a[pivot * s + c]);
        std::swap(b[col], b[pivot]);
        for (int32_t r = col + 1; r < k; ++r) {
            const double f = a[r * s + col] / a[col * s + col];
            for (int32_t c = col; c < k; ++c) a[r * s + c] -= f * a[col * s + c];
            b[r] -= f * b[col];
        }
    }
    for (int32_t r = k - 1; r >= 0; --r) {
        double v = b[r];
        for (int32_t c = r + 1; c < k; ++c) v -= a[r * s + c] * x[c];
        x[r] = v / a[r * s + r];
    }
    return std::all_of(x.begin(), x.begin() + k, [](double v) { return std::isfinite(v); });
}

// Starting widths from the half-maximum crossings around each start (not past the middle to the
// neighbouring start), starting heights by linear least squares given centres and widths.
void startingModel(Model& m, std::span<const float> y, std::span<const int32_t> starts) {
    const auto n = static_cast<int32_t>(y.size());
    std::vector<int32_t> sorted(starts.begin(), starts.end());
    std::sort(sorted.begin(), sorted.end());
    for (int32_t k = 0; k < m.components; ++k) {
        const int32_t c = starts[k];
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), c) - sorted.begin();
        const int32_t leftLimit = at > 0 ? (sorted[at - 1] + c) / 2 : 0;
        const int32_t rightLimit = at + 1 < static_cast<ptrdiff_t>(sorted.size()) ? (sorted[at + 1] + c) / 2 : n - 1;
        const float half = 0.5f * y[c];
        double sigma = 0.25 * std::max(rightLimit - leftLimit, 4);
        if (y[c] > 0.0f) {
            int32_t left = c, right = c;
            while (left > leftLimit && y[left] > half) --left;
            while (right < rightLimit && y[right] > half) ++right;
            sigma = std::max(0.5 * (right - left) / kHalfMaxWidths, 1.0);
        }
        double* q = m.block(k);
        q[0] = c;
        q[1] = std::max(0.0f, y[c]);
        for (int32_t w = 2; w < m.per; ++w) q[w] = widthFromSigma(m.shape, sigma);
    }
    // Heights: minimise Σ(y − Σ h_k g_k)² with the shapes fixed.
    const int32_t kc = m.components;
    std::array<double, kMaxFitComponents * kMaxFitComponents> a{};
    std::array<double, kMaxFitComponents> b{};
    for (int32_t i = 0; i < n; ++i) {
        double g[kMaxFitComponents];
        for (int32_t k = 0; k < kc; ++k) {
            double unit[4];
            std::copy_n(m.block(k), m.per, unit);
            unit[1] = 1.0;
            double v = 0.0;
            g[k] = component(m.shape, unit, m.ramp, i, v, nullptr) ? v : 0.0;
        }
        for (int32_t r = 0; r < kc; ++r) {
            b[r] += g[r] * y[i];
            for (int32_t c = 0; c < kc; ++c) a[r * kMaxFitComponents + c] += g[r] * g[c];
        }
    }
    std::array<double, kMaxFitComponents> h{};
    if (solveSmall(a, b, kc, h)) {
        for (int32_t k = 0; k < kc; ++k) {
            if (h[k] > 0.0) m.block(k)[1] = h[k];
        }
    }
}

// Area of a component (mV × points) and its derivatives by the component's parameters. The
// desorption shape along a ramp has no closed form: it is summed over its reach.
double componentArea(PeakShape shape, const double* q, const Ramp& ramp, double* gradient) {
    const double h = q[1];
    if (shape == PeakShape::FirstOrderDesorption) {
        using Jet = ceres::Jet<double, 3>;
        const Jet c(q[0], 0), hj(h, 1), w(q[2], 2);
        const double from = q[0] + (kDesorptionReachBelow - 2.0) * q[2], to = q[0] + (kDesorptionReachAbove + 1.0) * q[2];
        const double step = std::max(std::min(1.0, q[2] / 10.0), (to - from) / 4000.0);
        Jet sum(0.0);
        for (double x = from + 0.5 * step; x < to; x += step) {
            Jet v;
            if (desorptionValue(c, hj, w, x, ramp, v)) sum += v * step;
        }
        for (int j = 0; j < 3; ++j) gradient[j] = sum.v[j];
        return sum.a;
    }
    const double halfRoot = std::sqrt(std::numbers::pi / 2.0);
    if (shape == PeakShape::AsymmetricGaussian) {
        gradient[0] = 0.0;
        gradient[1] = halfRoot * (q[2] + q[3]);
        gradient[2] = gradient[3] = halfRoot * h;
        return h * halfRoot * (q[2] + q[3]);
    }
    gradient[0] = 0.0;
    gradient[1] = 2.0 * halfRoot * q[2];
    gradient[2] = 2.0 * halfRoot * h;
    return 2.0 * halfRoot * h * q[2];
}

void describe(DeconvolutionResult& result, const Model& m, std::span<const float> temperatureC) {
    double total = 0.0;
    const ParameterCovariance& cov = result.covariance;
    for (int32_t k = 0; k < m.components; ++k) {
        FitComponent& c = result.components[k];
        const double* q = m.block(k);
        c.shape = m.shape;
        c.rampStartK = m.ramp.startK;
        c.rampKPerPoint = m.ramp.kPerPoint;
        c.centreIndex = q[0];
        c.heightMv = q[1];
        c.risingWidth = q[2];
        c.fallingWidth = m.shape == PeakShape::AsymmetricGaussian ? q[3] : q[2];
        double gradient[4];
        c.area = componentArea(m.shape, q, m.ramp, gradient);
        c.maximumTemperatureC = temperatureAtIndex(temperatureC, c.centreIndex);
        if (cov.available()) {
            const int32_t base = k * m.per;
            c.centreU = cov.standardError(base);
            c.heightU = cov.standardError(base + 1);
            double variance = 0.0;
            for (int32_t a = 0; a < m.per; ++a) {
                for (int32_t b = 0; b < m.per; ++b) variance += gradient[a] * gradient[b] * cov.at(base + a, base + b);
            }
            c.areaU = std::sqrt(std::max(variance, 0.0));
            const double slope = 0.5 * (temperatureAtIndex(temperatureC, c.centreIndex + 1.0) -
                                        temperatureAtIndex(temperatureC, c.centreIndex - 1.0));
            c.maximumTemperatureU = std::abs(slope) * c.centreU;
        }
        total += c.area;
    }
    for (int32_t k = 0; k < m.components; ++k) {
        result.components[k].areaShare = total > 0.0 ? result.components[k].area / total : 0.0;
    }
}

}  // namespace

int32_t shapeParameters(PeakShape shape) { return shape == PeakShape::AsymmetricGaussian ? 4 : 3; }

DeconvolutionResult fitPeakComponents(std::span<const float> signalMv, std::span<const float> temperatureC,
                                      std::span<const int32_t> startIndices, const FitOptions& options) {
    DeconvolutionResult result;
    result.shape = options.shape;
    const auto n = static_cast<int64_t>(signalMv.size());
    const auto kc = static_cast<int32_t>(startIndices.size());
    if (kc == 0) return result;  // NoComponents
    if (kc > kMaxFitComponents) {
        result.status = FitStatus::TooManyComponents;
        return result;
    }
    Model m;
    m.shape = options.shape;
    m.components = kc;
    if (options.shape == PeakShape::FirstOrderDesorption && !temperatureC.empty() &&
        temperatureC.size() == signalMv.size()) {
        m.ramp = rampOf(temperatureC);
    }
    m.per = shapeParameters(options.shape);
    const int32_t np = kc * m.per;
    if (n <= np) {
        result.status = FitStatus::TooFewPoints;
        return result;
    }
    if (!temperatureC.empty() && temperatureC.size() != signalMv.size()) {
        temperatureC = {};  // a temperature of another stretch says nothing about this one
    }
    for (int32_t k = 0; k < kc; ++k) {
        if (startIndices[k] < 0 || startIndices[k] >= n) {
            result.status = FitStatus::StartOutside;
            return result;
        }
        for (int32_t j = 0; j < k; ++j) {
            if (startIndices[j] == startIndices[k]) {
                result.status = FitStatus::StartsTooClose;
                return result;
            }
        }
    }
    double signalSquares = 0.0;
    for (float v : signalMv) {
        if (!std::isfinite(v)) {
            result.status = FitStatus::NonFiniteSignal;
            return result;
        }
        signalSquares += static_cast<double>(v) * v;
    }
    if (signalSquares == 0.0) {
        result.status = FitStatus::NoSignal;
        return result;
    }

    const double points = static_cast<double>(n);
    startingModel(m, signalMv, startIndices);
    constrain(m, points);

    const FittedData data = fittedData(signalMv);
    ceres::Problem problem;
    std::vector<double*> blocks;
    for (int32_t k = 0; k < kc; ++k) blocks.push_back(m.block(k));
    problem.AddResidualBlock(new ComponentsCost(data, m.shape, m.ramp, kc), nullptr, blocks);
    for (double* q : blocks) {
        problem.SetParameterLowerBound(q, 0, 0.0);
        problem.SetParameterUpperBound(q, 0, points - 1.0);
        problem.SetParameterLowerBound(q, 1, 0.0);
        for (int32_t w = 2; w < m.per; ++w) {
            problem.SetParameterLowerBound(q, w, kMinWidth);
            problem.SetParameterUpperBound(q, w, points);
        }
    }
    ceres::Solver::Summary summary;
    ceres::Solve(fitSolverOptions(options.maxIterations), &problem, &summary);
    const bool usable = summary.IsSolutionUsable();
    result.status = usable && summary.termination_type == ceres::CONVERGENCE ? FitStatus::Converged
                                                                             : FitStatus::NotConverged;
    result.iterations = solverSteps(summary);
    result.componentCount = kc;
    result.parameterCount = np;

    const auto fitted = static_cast<int32_t>(data.x.size());
    if (result.converged() && fitted > np) {
        const std::vector<int32_t> sizes(static_cast<size_t>(kc), m.per);
        blockCovariance(problem, blocks, sizes, 2.0 * summary.final_cost / (fitted - np), result.covariance);
    }
    describe(result, m, temperatureC);
    double s = 0.0;
    for (int64_t i = 0; i < n; ++i) {
        const double r = signalMv[static_cast<size_t>(i)] - m.valueAt(static_cast<double>(i));
        s += r * r;
    }
    result.rmsResidualMv = std::sqrt(s / points);
    result.relativeResidual = std::sqrt(s / signalSquares);
    // A fit that meets the signal to its last bit leaves no residual to take the logarithm of.
    result.aic = points * std::log(std::max(s, 1e-300) / points) + 2.0 * np;
    return result;
}

double componentValueAt(const FitComponent& c, double index) {
    if (!(c.risingWidth > 0.0) || !(c.fallingWidth > 0.0)) return 0.0;
    const double q[4] = {c.centreIndex, c.heightMv, c.risingWidth, c.fallingWidth};
    // A Gaussian is the asymmetric one with equal sides.
    const PeakShape shape = c.shape == PeakShape::Gaussian ? PeakShape::AsymmetricGaussian : c.shape;
    double value = 0.0;
    return component(shape, q, Ramp{c.rampStartK, c.rampKPerPoint}, index, value, nullptr) ? value : 0.0;
}

double fittedValueAt(const DeconvolutionResult& result, double index) {
    double sum = 0.0;
    for (const FitComponent& c : result.list()) sum += componentValueAt(c, index);
    return sum;
}

float temperatureAtIndex(std::span<const float> temperatureC, double index) {
    if (temperatureC.empty()) return 0.0f;
    const double last = static_cast<double>(temperatureC.size() - 1);
    const double x = index >= 0.0 ? std::min(index, last) : 0.0;  // also NaN to the first point
    const auto below = static_cast<size_t>(x);
    if (below >= temperatureC.size() - 1) return temperatureC.back();
    const double t = x - static_cast<double>(below);
    return static_cast<float>(temperatureC[below] + t * (temperatureC[below + 1] - temperatureC[below]));
}

}  // namespace vespian
