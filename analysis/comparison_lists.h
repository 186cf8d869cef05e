#pragma once
// The comparison method's lists as the report view draws them: the standard list (six
// columns) and the sample list (the twelve columns of the sample text export), with column
// widths from ZEvid.ini. A column whose width is 0 is left out and the columns after it close
// up. Rows of 20 pixels under a 25-pixel header, cells right-aligned 10 pixels before their
// column's right edge, selected records in magenta, slots not in use left blank.

#include <cstdint>
#include <span>
#include <string>

#include "files/record_database_layout.h"
#include "platform/draw_list.h"

namespace vespian {

inline constexpr int32_t kStandardListColumns = 6;
inline constexpr int32_t kSampleListColumns = 12;

// widths[0] is the total width, widths[1..6] the columns (ZEvidRecord::display); missing
// entries count as 0.
DrawList standardListDrawing(const StandardTable& standards, std::span<const int32_t> widths,
                             int32_t screenWidth, int32_t height, int32_t firstRow, int32_t hScroll);

// widths[0] is the total width, widths[1..12] the columns (ZEvidRecord::columns[0..12]).
DrawList sampleListDrawing(const SampleTable& samples, std::span<const int32_t> widths,
                           int32_t screenWidth, int32_t height, int32_t firstRow, int32_t hScroll);

// The texts of a record's cells, in column order (for drawing and for tests).
void standardCells(const StandardRecord& record, std::string (&cells)[kStandardListColumns]);
void sampleCells(const SampleRecord& record, std::string (&cells)[kSampleListColumns]);

}  // namespace vespian
