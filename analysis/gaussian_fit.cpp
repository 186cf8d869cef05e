#include "analysis/gaussian_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace vespian {

namespace {

constexpr int32_t kMaxParameters = 4 * kMaxFitComponents;
// Beyond this many widths a component adds less than 1e-10 of its height: skipped.
constexpr double kReachWidths = 7.0;
constexpr double kMinWidth = 0.3;  // points; narrower than one sample means no shape at all
constexpr double kHalfMaxWidths = 1.1774100225154747;  // √(2 ln 2): half width at half max per σ
constexpr double kInitialDamping = 1e-3;
constexpr double kMaxDamping = 1e14;
constexpr double kCostTolerance = 1e-10;  // relative improvement that counts as none
constexpr double kStepTolerance = 1e-9;   // relative step that counts as none

using Matrix = std::array<double, kMaxParameters * kMaxParameters>;
using Vector = std::array<double, kMaxParameters>;

struct Model {
    int32_t components = 0;
    int32_t perComponent = 3;  // centre, height, width(s)
    Vector p{};

    int32_t parameters() const { return components * perComponent; }
    double centre(int32_t k) const { return p[k * perComponent]; }
    double height(int32_t k) const { return p[k * perComponent + 1]; }
    double rising(int32_t k) const { return p[k * perComponent + 2]; }
    double falling(int32_t k) const { return p[k * perComponent + perComponent - 1]; }
};

// Adds the components at x into `value`, and (when `jacobian` is given) their partial
// derivatives into jacobian[] with the indices of the non-zero ones in `active`.
inline double evaluate(const Model& m, double x, double* jacobian, int32_t* active, int32_t& activeCount) {
    double value = 0.0;
    activeCount = 0;
    for (int32_t k = 0; k < m.components; ++k) {
        const double c = m.centre(k);
        const bool risingSide = x < c;
        const double sigma = risingSide ? m.rising(k) : m.falling(k);
        const double z = (x - c) / sigma;
        if (std::abs(z) > kReachWidths) continue;
        const double g = std::exp(-0.5 * z * z);
        const double h = m.height(k);
        value += h * g;
        if (jacobian == nullptr) continue;
        const int32_t base = k * m.perComponent;
        const double hgz = h * g * z / sigma;
        jacobian[activeCount] = hgz;  // ∂/∂centre
        active[activeCount++] = base;
        jacobian[activeCount] = g;  // ∂/∂height
        active[activeCount++] = base + 1;
        jacobian[activeCount] = hgz * z;  // ∂/∂σ of the side x lies on
        active[activeCount++] = base + (risingSide || m.perComponent == 3 ? 2 : 3);
    }
    return value;
}

double cost(const Model& m, std::span<const float> y) {
    double sum = 0.0;
    int32_t unused = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        const double r = y[i] - evaluate(m, static_cast<double>(i), nullptr, nullptr, unused);
        sum += r * r;
    }
    return sum;
}

// Normal equations A = JᵀJ (upper triangle) and g = Jᵀr.
void normalEquations(const Model& m, std::span<const float> y, Matrix& a, Vector& g) {
    const int32_t np = m.parameters();
    a.fill(0.0);
    g.fill(0.0);
    double jacobian[kMaxParameters];
    int32_t active[kMaxParameters];
    int32_t count = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        const double r = y[i] - evaluate(m, static_cast<double>(i), jacobian, active, count);
        for (int32_t u = 0; u < count; ++u) {
            const double ju = jacobian[u];
            const int32_t row = active[u] * kMaxParameters;
            g[active[u]] += ju * r;
            for (int32_t v = 0; v < count; ++v) {
                if (active[v] >= active[u]) a[row + active[v]] += ju * jacobian[v];
            }
        }
    }
    for (int32_t r = 0; r < np; ++r) {
        for (int32_t c = 0; c < r; ++c) a[r * kMaxParameters + c] = a[c * kMaxParameters + r];
    }
}

// Solves M·x = b for a symmetric positive definite M (n × n in the kMaxParameters grid) by
// Cholesky; false when M is not positive definite.
bool solveCholesky(Matrix m, Vector b, int32_t n, Vector& x) {
    for (int32_t j = 0; j < n; ++j) {
        double d = m[j * kMaxParameters + j];
        for (int32_t k = 0; k < j; ++k) d -= m[j * kMaxParameters + k] * m[j * kMaxParameters + k];
        if (!(d > 0.0)) return false;
        d = std::sqrt(d);
        m[j * kMaxParameters + j] = d;
        for (int32_t i = j + 1; i < n; ++i) {
            double s = m[i * kMaxParameters + j];
            for (int32_t k = 0; k < j; ++k) s -= m[i * kMaxParameters + k] * m[j * kMaxParameters + k];
            m[i * kMaxParameters + j] = s / d;
        }
    }
    for (int32_t i = 0; i < n; ++i) {
        double s = b[i];
        for (int32_t k = 0; k < i; ++k) s -= m[i * kMaxParameters + k] * b[k];
        b[i] = s / m[i * kMaxParameters + i];
    }
    for (int32_t i = n - 1; i >= 0; --i) {
        double s = b[i];
        for (int32_t k = i + 1; k < n; ++k) s -= m[k * kMaxParameters + i] * b[k];
        b[i] = s / m[i * kMaxParameters + i];
    }
    x = b;
    return std::all_of(x.begin(), x.begin() + n, [](double v) { return std::isfinite(v); });
}

// Keeps the parameters where the model means something: centres on the stretch, widths between
// a fraction of a point and the stretch, heights not negative.
void constrain(Model& m, double points) {
    for (int32_t k = 0; k < m.components; ++k) {
        double* q = &m.p[k * m.perComponent];
        q[0] = std::clamp(q[0], 0.0, points - 1.0);
        q[1] = std::max(q[1], 0.0);
        for (int32_t w = 2; w < m.perComponent; ++w) q[w] = std::clamp(q[w], kMinWidth, points);
    }
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
        double* q = &m.p[k * m.perComponent];
        q[0] = c;
        q[1] = std::max(0.0f, y[c]);
        for (int32_t w = 2; w < m.perComponent; ++w) q[w] = sigma;
    }
    // Heights: minimise Σ(y − Σ h_k g_k)² with the shapes fixed.
    const int32_t kc = m.components;
    Matrix a{};
    Vector b{};
    for (int32_t i = 0; i < n; ++i) {
        double g[kMaxFitComponents];
        for (int32_t k = 0; k < kc; ++k) {
            const double sigma = i < m.centre(k) ? m.rising(k) : m.falling(k);
            const double z = (i - m.centre(k)) / sigma;
            g[k] = std::abs(z) > kReachWidths ? 0.0 : std::exp(-0.5 * z * z);
        }
        for (int32_t r = 0; r < kc; ++r) {
            b[r] += g[r] * y[i];
            for (int32_t c = 0; c < kc; ++c) a[r * kMaxParameters + c] += g[r] * g[c];
        }
    }
    Vector h{};
    if (solveCholesky(a, b, kc, h)) {
        for (int32_t k = 0; k < kc; ++k) {
            if (h[k] > 0.0) m.p[k * m.perComponent + 1] = h[k];
        }
    }
}

void describe(DeconvolutionResult& result, const Model& m, std::span<const float> temperatureC) {
    double total = 0.0;
    for (int32_t k = 0; k < m.components; ++k) {
        FitComponent& c = result.components[k];
        c.centreIndex = m.centre(k);
        c.heightMv = m.height(k);
        c.risingWidth = m.rising(k);
        c.fallingWidth = m.falling(k);
        c.area = c.heightMv * std::sqrt(std::numbers::pi / 2.0) * (c.risingWidth + c.fallingWidth);
        c.maximumTemperatureC = temperatureAtIndex(temperatureC, c.centreIndex);
        total += c.area;
    }
    for (int32_t k = 0; k < m.components; ++k) {
        result.components[k].areaShare = total > 0.0 ? result.components[k].area / total : 0.0;
    }
}

}  // namespace

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
    m.components = kc;
    m.perComponent = options.shape == PeakShape::AsymmetricGaussian ? 4 : 3;
    if (n <= m.parameters()) {
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
    const int32_t np = m.parameters();

    double s = cost(m, signalMv);
    double damping = kInitialDamping;
    Matrix a{};
    Vector g{};
    normalEquations(m, signalMv, a, g);
    FitStatus status = FitStatus::NotConverged;
    int32_t iterations = 0;
    while (iterations < options.maxIterations) {
        if (s <= 1e-28 * signalSquares) {  // the model meets the signal exactly
            status = FitStatus::Converged;
            break;
        }
        ++iterations;
        double maxDiagonal = 0.0;
        for (int32_t j = 0; j < np; ++j) maxDiagonal = std::max(maxDiagonal, a[j * kMaxParameters + j]);
        Matrix damped = a;
        for (int32_t j = 0; j < np; ++j) {
            // Marquardt's scaling, with a floor so a vanished component keeps a solvable system.
            const double d = a[j * kMaxParameters + j];
            damped[j * kMaxParameters + j] = d + damping * std::max(d, 1e-12 * maxDiagonal + 1e-300);
        }
        Vector step{};
        if (!solveCholesky(damped, g, np, step)) {
            damping *= 10.0;
            if (damping > kMaxDamping) break;
            continue;
        }
        Model trial = m;
        for (int32_t j = 0; j < np; ++j) trial.p[j] += step[j];
        constrain(trial, points);
        const double trialCost = cost(trial, signalMv);
        if (trialCost < s) {
            double largestStep = 0.0;
            for (int32_t j = 0; j < np; ++j) {
                const double scale = std::abs(m.p[j]) + 1e-3;
                largestStep = std::max(largestStep, std::abs(trial.p[j] - m.p[j]) / scale);
            }
            const bool settled = (s - trialCost) <= kCostTolerance * s || largestStep <= kStepTolerance;
            m = trial;
            s = trialCost;
            damping = std::max(damping * 0.1, 1e-12);
            if (settled) {
                status = FitStatus::Converged;
                break;
            }
            normalEquations(m, signalMv, a, g);
        } else {
            damping *= 10.0;
            if (damping > kMaxDamping) {
                // No step downhill however short: a minimum, if the slope there is flat.
                double worst = 0.0;
                for (int32_t j = 0; j < np; ++j) {
                    const double d = a[j * kMaxParameters + j];
                    if (d > 0.0) worst = std::max(worst, std::abs(g[j]) / std::sqrt(d * s));
                }
                if (worst < 1e-6) status = FitStatus::Converged;
                break;
            }
        }
    }
    result.status = status;
    result.iterations = iterations;
    result.componentCount = kc;
    describe(result, m, temperatureC);
    result.rmsResidualMv = std::sqrt(s / points);
    result.relativeResidual = std::sqrt(s / signalSquares);
    return result;
}

double componentValueAt(const FitComponent& component, double index) {
    const double sigma = index < component.centreIndex ? component.risingWidth : component.fallingWidth;
    if (!(sigma > 0.0)) return 0.0;
    const double z = (index - component.centreIndex) / sigma;
    return component.heightMv * std::exp(-0.5 * z * z);
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
