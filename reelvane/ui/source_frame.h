#pragma once
// One frame of a source as a QImage, through the engine's in-process grabber.

#include <QImage>
#include <QSize>

#include <string>

namespace reelvane {

struct SourceFrame {
    QImage image;           // null when nothing was decoded
    bool noPicture = false; // the source has sound only (or only cover art)
};

// The frame at or after `seconds` from the source's start, in its displayed shape, fitting
// within `box`. Safe to call from any thread.
SourceFrame GrabSourceFrame(const std::string& path, double seconds, QSize box);

} // namespace reelvane
