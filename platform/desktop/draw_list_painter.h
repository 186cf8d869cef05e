#pragma once
// Replays a core draw list with a QPainter: on a widget's canvas, into an image, onto a
// printer page. Positions are device pixels; the painter may be translated first (a scrolled
// view).

#include <QFont>
#include <QPainter>

#include "platform/draw_list.h"
#include "platform/desktop/program_font.h"

namespace vespian {

// The font of a draw-list text: "宋体" or "黑体", falling back to the CJK faces the system has
// (those of pages on a printer or a PDF document).
QFont drawListFont(FontFace face, int pixelSize, TextMedium medium = TextMedium::Screen);

void paintDrawList(QPainter& painter, const DrawList& list);

}  // namespace vespian
