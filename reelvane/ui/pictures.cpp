#include "reelvane/ui/pictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into a static library; this keeps the linker from dropping them.
static void InitPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace reelvane {
namespace {

QString Picture(const char* name)
{
    static const bool ready = (InitPictureResources(), true);
    (void)ready;
    return QString(":/pictures/") + name;
}

QPixmap Render(const QString& path, QSize size)
{
    QSvgRenderer renderer(path);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    return QIcon(Picture("reelvane.svg"));
}
QIcon UpdatePicture()
{
    return QIcon(Picture("update.svg"));
}
QIcon SettingsPicture()
{
    return QIcon(Picture("settings.svg"));
}

QPixmap BannerPicture(int height)
{
    const QString path = Picture("banner.svg");
    const QSize natural = QSvgRenderer(path).defaultSize();
    return Render(path, {natural.width() * height / natural.height(), height});
}

QPixmap EmptyListPicture(int size)
{
    return Render(Picture("empty_list.svg"), {size, size});
}

QIcon AudioPicture()
{
    return QIcon(Picture("image_02.svg")); // the catalogue's sound picture
}

QIcon CataloguePicture(int imageNumber)
{
    const QString path = Picture(QString::asprintf("image_%02d.svg", imageNumber).toLatin1().constData());
    return QIcon(QFile::exists(path) ? path : Picture("image_00.svg"));
}

} // namespace reelvane
