#pragma once
// The standard list and the sample list as the report view draws them (analysis/
// comparison_lists.h holds the layout). Widths are ZEvid.ini's: the six-column display block
// for standards, the twelve-column block for samples.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <span>

#include "files/record_database_layout.h"

namespace vespian {

class ComparisonListRenderer {
public:
    static void drawStandards(QPainter& painter, const QRect& area, const StandardTable& standards,
                              std::span<const int32_t> widths, int screenWidth, int firstRow, int hScroll,
                              const QImage& background);
    static void drawSamples(QPainter& painter, const QRect& area, const SampleTable& samples,
                            std::span<const int32_t> widths, int screenWidth, int firstRow, int hScroll,
                            const QImage& background);
};

}  // namespace vespian
