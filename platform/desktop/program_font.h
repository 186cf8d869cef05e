#pragma once
// The program's text face, shared by every window and printed page.

#include <QFont>
#include <QStringList>

namespace vespian {

// "宋体" where it exists, else a CJK face that has the glyphs.
QFont programFont(int pixelSize, bool bold = false);

}  // namespace vespian
