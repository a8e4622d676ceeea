#pragma once
// The program's pictures, drawn from the SVG files compiled into it.

#include <QIcon>
#include <QPixmap>

namespace reelvane {

QIcon ProgramIcon();
QIcon UpdatePicture();
QIcon SettingsPicture();
// The banner at the given height, width following its proportions.
QPixmap BannerPicture(int height);
// Shown on the empty task list.
QPixmap EmptyListPicture(int size);
// Stands for a source that has sound and no picture.
QIcon AudioPicture();
// The picture of a catalogue image number; the "All Profiles" picture for an unknown number.
QIcon CataloguePicture(int imageNumber);

} // namespace reelvane
