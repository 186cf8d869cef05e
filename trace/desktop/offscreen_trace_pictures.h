#pragma once
// Pictures of a trace drawn without a display, for command-line programs: the trace window's
// own drawing (trace_drawing.h) with its axis labels, into an image, saved as PNG. The first
// picture starts Qt on its offscreen platform when no Qt application runs yet; it stays until
// the writer is gone. No Qt type in this header, so a program's main file needs none.

#include <memory>
#include <string>

#include "trace/trace_picture.h"

namespace vespian {

class TraceRenderer;

class OffscreenTracePictures final : public TracePictureWriter {
public:
    OffscreenTracePictures();
    ~OffscreenTracePictures() override;

    bool savePng(const std::string& path, const Chromatogram& trace, int32_t width, int32_t height,
                 std::string* error) override;

private:
    struct Gui;
    std::unique_ptr<Gui> gui_;
    std::unique_ptr<TraceRenderer> renderer_;
};

}  // namespace vespian
