#pragma once
// The evaluation of one temperature-programmed stretch beside its written report: the baseline
// the operator chose, the corrected curve every result below uses, the Tm proposals, the fitted
// components, the peaks between the accepted Tm points, and their amounts as gas against the
// quantitative peak, with the CSV text the evaluation exports. The window only shows and asks.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/baseline.h"
#include "analysis/gaussian_fit.h"
#include "analysis/peak_maxima.h"
#include "analysis/peak_shape_choice.h"
#include "analysis/uptake.h"
#include "platform/draw_list.h"

namespace vespian {

struct TestReportHeader;

class TpEvaluation {
public:
    // The stretch as recorded: signal and temperature of the same length (the shorter decides).
    TpEvaluation(std::span<const float> signalMv, std::span<const float> temperatureC);

    // The baseline. A line that cannot be made is refused: the previous baseline stays and its
    // status is returned. A new baseline drops proposals and fit, made on another curve.
    BaselineStatus useNoBaseline();
    BaselineStatus useBaselineThrough(int32_t firstIndex, int32_t secondIndex);
    BaselineStatus useFlatEndsBaseline(double endShare = kDefaultFlatEndShare);
    BaselineKind baselineKind() const { return kind_; }
    const BaselineLine& baseline() const { return line_; }

    int32_t pointCount() const { return static_cast<int32_t>(signal_.size()); }
    std::span<const float> signal() const { return signal_; }
    std::span<const float> corrected() const { return corrected_; }
    std::span<const float> temperature() const { return temperature_; }

    // Maxima of the corrected curve above the prominence; kept until the next call or baseline.
    const TmProposals& propose(double minProminenceMv);
    const TmProposals& proposals() const { return proposals_; }
    double suggestedProminence() const { return suggestedProminenceMv(corrected_); }

    // Fits components to the corrected curve from the starting points. Only a converged fit
    // replaces the one held; any other result is returned and the held fit stays as it was.
    DeconvolutionResult fit(std::span<const int32_t> startIndices, PeakShape shape);
    DeconvolutionResult fit(std::span<const int32_t> startIndices, const FitOptions& options);
    // Fits each candidate shape and holds the one the information criterion prefers (when any
    // converged); the held fit stays otherwise.
    ShapeChoice fitBestShape(std::span<const int32_t> startIndices,
                             std::span<const PeakShape> shapes = kDefaultShapeCandidates);
    bool hasFit() const { return hasFit_; }
    const DeconvolutionResult& fitted() const { return fit_; }
    void clearFit() { hasFit_ = false; }

private:
    void correct();

    std::vector<float> signal_;
    std::vector<float> temperature_;
    std::vector<float> corrected_;
    BaselineKind kind_ = BaselineKind::None;
    BaselineLine line_{};
    TmProposals proposals_{};
    DeconvolutionResult fit_{};
    bool hasFit_ = false;
};

// The operator's message for a fit that changed nothing; empty for a converged one.
std::string fitStatusText(FitStatus status);
// The operator's message for a baseline that could not be made; empty for Ok.
std::string baselineStatusText(BaselineStatus status);

// Appends one Tm (its point and temperature) to the written Tm list, as a click on the chart
// would. False (nothing changes) when the list is full or the point lies outside the stretch.
bool appendTm(TestReportHeader& header, int32_t index, float tmC);

// One peak of the corrected curve: the stretch around an accepted Tm, bounded by the lowest
// point between it and its neighbours (the ends of the curve for the outer ones).
struct PeakSegment {
    int32_t tmIndex = 0;
    int32_t first = 0;
    int32_t last = 0;
    float tmC = 0.0f;
    double area = 0.0;  // Σ corrected, mV × points
};
// Segments in temperature order for the Tm points inside the curve; repeated points count once.
std::vector<PeakSegment> peakSegments(std::span<const float> correctedMv, std::span<const float> temperatureC,
                                      std::span<const int32_t> tmIndices);

// The amounts against the quantitative peak: its area (same unit) and its gas loop.
struct UptakeReference {
    double referenceArea = 0.0;
    GasLoop loop{};
    double sampleWeightG = 0.0;
};

struct EvaluationRow {
    std::string kind;  // "峰" or "组分"
    int32_t number = 0;  // from 1
    double tmC = 0.0;
    double area = 0.0;
    double share = 0.0;  // of its kind's total, 0 .. 1
    GasAmount amount{};
};
// The peaks, then (when given) the fitted components.
std::vector<EvaluationRow> evaluationRows(std::span<const PeakSegment> peaks, const DeconvolutionResult* fit,
                                          const UptakeReference& reference);

// The rows as CSV (UTF-8 with a byte-order mark, comma-separated, one header line, "\n" line ends).
std::string evaluationCsv(std::span<const EvaluationRow> rows);

// The evaluation chart, 775 × 380 like the report's: the corrected curve, the baseline's zero
// (or the baseline itself over the uncorrected signal when nothing is subtracted), the accepted
// Tm marks, proposals as hollow squares, each fitted component and their sum.
DrawList tpEvaluationChart(const TpEvaluation& evaluation, std::span<const int32_t> tmIndices,
                           std::span<const int32_t> pendingBaselineClicks = {});
// Chart x (0 .. 774) of a point index and back, over the whole curve.
int32_t evaluationChartX(int32_t index, int32_t pointCount);
int32_t evaluationChartIndex(int32_t chartX, int32_t pointCount);

inline constexpr DrawColour kProposalColour = rgb(230, 120, 0);
inline constexpr DrawColour kFitSumColour = rgb(0, 0, 0);
inline constexpr DrawColour kBaselineColour = rgb(120, 120, 120);
// The colour of fitted component k.
DrawColour componentColour(int32_t k);

}  // namespace vespian
