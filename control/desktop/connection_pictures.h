#pragma once
// The pictures of the analyser's connections, drawn in code: the rear panel (808 × 496) and the
// right-hand side (496 × 224) of the connection views, and for the wizard's preparation windows
// the strip of gas ports (682 × 244) with the images laid over a port to make it blink (45 × 102,
// lit and neutral).

#include <QImage>

#include "control/guide_pages.h"

namespace vespian {

QImage rearViewPicture();
QImage rightViewPicture();
QImage portStripPicture();
// The port at the highlight's place, lit (a ring and an arrow) or as the strip shows it.
QImage portHighlightPicture(GasPort port, bool lit);

}  // namespace vespian
