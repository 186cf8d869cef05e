#pragma once
// Ceres Solver settings and helpers shared by the fits in this folder (included by their .cpp
// files only).

#include <ceres/ceres.h>

#include <cstdint>
#include <span>

#include "analysis/least_squares.h"

namespace vespian {

// Levenberg–Marquardt with a dense QR step, quiet, tolerances tight enough that a noise-free
// model is met to the last digits the data carry.
ceres::Solver::Options fitSolverOptions(int32_t maxIterations);

// Steps the solver took (accepted and rejected), without its starting evaluation.
int32_t solverSteps(const ceres::Solver::Summary& summary);

// The covariance of the given parameter blocks taken together (in the order given), each entry
// multiplied by `scale`. False (and an empty covariance) when the problem leaves them undetermined.
bool blockCovariance(ceres::Problem& problem, std::span<double* const> blocks, std::span<const int32_t> sizes,
                     double scale, ParameterCovariance& out);

}  // namespace vespian
