#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

// Faces that give each glyph one character: AR PL UMing (a Song face), WenQuanYi Micro Hei and
// Droid Sans Fallback carry no Kangxi radicals of their own. Noto CJK comes last for a system
// that has nothing else.
const QStringList kPageSong = {"宋体", "SimSun", "AR PL UMing CN", "WenQuanYi Micro Hei", "Droid Sans Fallback",
                               "Noto Sans CJK SC"};
const QStringList kPageHei = {"黑体", "SimHei", "WenQuanYi Micro Hei", "Droid Sans Fallback", "Noto Sans CJK SC"};
const QStringList kScreenSong = {"宋体", "SimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei"};
const QStringList kScreenHei = {"黑体", "SimHei", "Noto Sans CJK SC", "WenQuanYi Micro Hei"};

QFont fontOf(const QStringList& families, int pixelSize) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

QFont programFont(int pixelSize, bool bold, TextMedium medium) {
    QFont font = fontOf(medium == TextMedium::Page ? kPageSong : kScreenSong, pixelSize);
    font.setBold(bold);
    return font;
}

QFont programHeiFont(int pixelSize, TextMedium medium) {
    return fontOf(medium == TextMedium::Page ? kPageHei : kScreenHei, pixelSize);
}

}  // namespace vespian
