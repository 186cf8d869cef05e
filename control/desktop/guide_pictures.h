#pragma once
// The operating guides' tall pictures, drawn in code from the guides' contents: each step with
// its instructions, and beside it the flow settings, the valve positions as the gas-path panel
// shows them, a sketch of the furnace programme and, for titration, of the pulse train.

#include <QImage>

#include "control/guide_pages.h"

namespace vespian {

// The whole picture of a guide, of the size the guide's window scrolls over.
QImage guidePicture(GuideKind kind);

}  // namespace vespian
