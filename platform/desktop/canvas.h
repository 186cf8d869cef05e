#pragma once
// The canvas: an off-screen QImage (Format_RGB32) seen as the core's pixel surface, so the core
// draws into the same pixels the widget copies to the screen; and the settings files' colour
// values as Qt colours.

#include <QColor>
#include <QImage>

#include "platform/pixel_surface.h"

namespace vespian {

inline PixelSurface surfaceOf(QImage& image) {
    return PixelSurface{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                        static_cast<int32_t>(image.bytesPerLine() / 4)};
}

inline QColor qColour(StoredColour colour) { return QColor::fromRgb(pixelFromStored(colour)); }

}  // namespace vespian
