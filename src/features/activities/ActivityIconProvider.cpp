#include "ActivityIconProvider.h"

#include "ActivitiesLog.h"
#include "ActivityHints.h"

#include <QIcon>

ActivityIconProvider::ActivityIconProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage ActivityIconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const QSize wanted = requestedSize.isValid() ? requestedSize : QSize(32, 32);
    QImage image;
    // Names only reach here, but the address could be typed by anyone.
    if (ActivityHints::isIconName(id)) {
        const QIcon icon = QIcon::fromTheme(id);
        if (!icon.isNull())
            image = icon.pixmap(wanted, 1.0).toImage();
        else
            qCInfo(lcActivities, "The icon theme has no icon %s", qUtf8Printable(id));
    }
    if (size)
        *size = image.size();
    return image;
}
