#include "platform/desktop/program_font.h"

namespace vespian {

QFont programFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({"宋体", "SimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace vespian
