#include "controls/respicture.h"

QPixmap ResPicture(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0) {
        QString large = path;
        large.insert(large.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        QPixmap pixmap(large);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return QPixmap(path);
}
