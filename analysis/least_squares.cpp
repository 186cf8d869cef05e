#include "analysis/least_squares.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/ceres_support.h"

namespace vespian {

double ParameterCovariance::at(int32_t row, int32_t column) const {
    if (row < 0 || column < 0 || row >= size || column >= size) return 0.0;
    return values[static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(column)];
}

double ParameterCovariance::standardError(int32_t i) const {
    const double v = variance(i);
    return v > 0.0 ? std::sqrt(v) : 0.0;
}

ceres::Solver::Options fitSolverOptions(int32_t maxIterations) {
    ceres::Solver::Options options;
    options.minimizer_type = ceres::TRUST_REGION;
    options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
    options.linear_solver_type = ceres::DENSE_QR;
    options.max_num_iterations = maxIterations;
    options.function_tolerance = 1e-12;
    options.parameter_tolerance = 1e-11;
    options.gradient_tolerance = 1e-14;
    options.logging_type = ceres::SILENT;
    options.minimizer_progress_to_stdout = false;
    options.num_threads = 1;
    return options;
}

int32_t solverSteps(const ceres::Solver::Summary& summary) {
    // The first entry is the evaluation at the start.
    return std::max(static_cast<int32_t>(summary.iterations.size()) - 1, 0);
}

bool blockCovariance(ceres::Problem& problem, std::span<double* const> blocks, std::span<const int32_t> sizes,
                     double scale, ParameterCovariance& out) {
    out = {};
    ceres::Covariance::Options options;
    options.algorithm_type = ceres::DENSE_SVD;
    options.num_threads = 1;
    ceres::Covariance covariance(options);
    std::vector<std::pair<const double*, const double*>> pairs;
    for (size_t a = 0; a < blocks.size(); ++a) {
        for (size_t b = a; b < blocks.size(); ++b) pairs.emplace_back(blocks[a], blocks[b]);
    }
    if (!covariance.Compute(pairs, &problem)) return false;
    int32_t total = 0;
    for (int32_t s : sizes) total += s;
    ParameterCovariance result;
    result.size = total;
    result.values.assign(static_cast<size_t>(total) * static_cast<size_t>(total), 0.0);
    int32_t rowStart = 0;
    for (size_t a = 0; a < blocks.size(); ++a) {
        int32_t columnStart = rowStart;
        for (size_t b = a; b < blocks.size(); ++b) {
            std::vector<double> block(static_cast<size_t>(sizes[a]) * static_cast<size_t>(sizes[b]));
            if (!covariance.GetCovarianceBlock(blocks[a], blocks[b], block.data())) return false;
            for (int32_t r = 0; r < sizes[a]; ++r) {
                for (int32_t c = 0; c < sizes[b]; ++c) {
                    const double v = scale * block[static_cast<size_t>(r * sizes[b] + c)];
                    result.values[static_cast<size_t>((rowStart + r) * total + columnStart + c)] = v;
                    result.values[static_cast<size_t>((columnStart + c) * total + rowStart + r)] = v;
                }
            }
            columnStart += sizes[b];
        }
        rowStart += sizes[a];
    }
    for (double v : result.values) {
        if (!std::isfinite(v)) return false;
    }
    out = std::move(result);
    return true;
}

namespace {

// One point about the line, its abscissa taken from the mean so that level and slope are
// independent unknowns (1/T of Kissinger's points differs only in the fourth digit).
struct LineResidual {
    double dx;
    double y;
    template <typename T>
    bool operator()(const T* line, T* residual) const {
        residual[0] = T(y) - (line[0] + line[1] * T(dx));
        return true;
    }
};

}  // namespace

StraightLine fitStraightLine(std::span<const double> x, std::span<const double> y, std::span<const bool> use) {
    StraightLine fit;
    const size_t n = std::min(x.size(), y.size());
    auto taken = [&](size_t i) { return use.empty() || (i < use.size() && use[i]); };
    double meanX = 0.0, meanY = 0.0;
    int32_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!taken(i)) continue;
        meanX += x[i];
        meanY += y[i];
        ++count;
    }
    fit.points = count;
    if (count < 2) return fit;
    meanX /= count;
    meanY /= count;
    double sxx = 0.0;
    for (size_t i = 0; i < n; ++i) {
        if (taken(i)) sxx += (x[i] - meanX) * (x[i] - meanX);
    }
    if (!(sxx > 0.0)) return fit;

    // The model is linear: started at the mean level, one Gauss–Newton step (a trust region
    // wide open) meets the minimum and the solver confirms it.
    std::array<double, 2> line = {meanY, 0.0};
    ceres::Problem problem;
    for (size_t i = 0; i < n; ++i) {
        if (!taken(i)) continue;
        problem.AddResidualBlock(
            new ceres::AutoDiffCostFunction<LineResidual, 1, 2>(new LineResidual{x[i] - meanX, y[i]}), nullptr,
            line.data());
    }
    ceres::Solver::Options options = fitSolverOptions(50);
    options.initial_trust_region_radius = 1e16;
    ceres::Solver::Summary summary;
    ceres::Solve(options, &problem, &summary);
    if (!summary.IsSolutionUsable()) return fit;

    fit.ok = true;
    fit.slope = line[1];
    fit.intercept = line[0] - line[1] * meanX;
    for (size_t i = 0; i < n; ++i) {
        if (!taken(i)) continue;
        const double r = y[i] - (fit.intercept + fit.slope * x[i]);
        fit.residualSquares += r * r;
    }
    if (count > 2) {
        double* block[] = {line.data()};
        const int32_t sizes[] = {2};
        ParameterCovariance levelSlope;
        if (blockCovariance(problem, block, sizes, fit.residualSquares / (count - 2), levelSlope)) {
            // From (mean level, slope) to (slope, intercept = level − slope · x̄).
            const double vl = levelSlope.at(0, 0), vs = levelSlope.at(1, 1), c = levelSlope.at(0, 1);
            fit.covariance.size = 2;
            const double slopeIntercept = c - meanX * vs;
            fit.covariance.values = {vs, slopeIntercept, slopeIntercept, vl + meanX * meanX * vs - 2.0 * meanX * c};
        }
    }
    return fit;
}

double studentT95(int32_t degreesOfFreedom) {
    static constexpr std::array<double, 30> kTable = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306,
                                                      2.262,  2.228, 2.201, 2.179, 2.160, 2.145, 2.131, 2.120,
                                                      2.110,  2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064,
                                                      2.060,  2.056, 2.052, 2.048, 2.045, 2.042};
    if (degreesOfFreedom < 1) return 0.0;
    if (degreesOfFreedom <= 30) return kTable[static_cast<size_t>(degreesOfFreedom - 1)];
    return 1.959964 + 2.5 / degreesOfFreedom;  // within 0.002 of the exact value beyond 30
}

}  // namespace vespian
