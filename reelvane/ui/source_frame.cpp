#include "reelvane/ui/source_frame.h"

#include "adapters/vexen/vexen.h"

namespace reelvane {

SourceFrame GrabSourceFrame(const std::string& path, double seconds, QSize box)
{
    SourceFrame frame;
    FramePicture picture{};
    const int32_t result = GrabFrame(path.c_str(), seconds, box.width(), box.height(), &picture);
    frame.noPicture = result == 1;
    if (result == 0)
        frame.image =
            QImage(picture.pixels, picture.width, picture.height, picture.width * 3, QImage::Format_RGB888).copy();
    FreeFramePicture(&picture);
    return frame;
}

} // namespace reelvane
