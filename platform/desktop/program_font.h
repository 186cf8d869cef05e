#pragma once
// The program's text faces, shared by every window and printed page.

#include <QFont>
#include <QStringList>

namespace vespian {

// Where a text goes. Printed and exported pages take faces whose every character a PDF reader
// gives back as itself: the CJK faces preferred on the screen draw an ideograph and its Kangxi
// radical (比 and ⽐, 日 and ⽇) with one glyph, and a PDF names such a glyph by the radical, so
// a search of the saved report for "比表面积" would find nothing.
enum class TextMedium { Screen, Page };

// "宋体" where it exists, else a CJK face that has the glyphs.
QFont programFont(int pixelSize, bool bold = false, TextMedium medium = TextMedium::Screen);
// "黑体" where it exists, else a CJK face that has the glyphs.
QFont programHeiFont(int pixelSize, TextMedium medium = TextMedium::Screen);

}  // namespace vespian
