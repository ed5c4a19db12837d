#pragma once

#include <QPixmap>
#include <QString>

// A picture of the program's resources for a screen of the given device pixel ratio: above 1,
// the "<name>@2x.png" drawn at twice the size where there is one, marked as such, so that it
// keeps its logical size and is drawn sharp (at 1.5 it is scaled down, not up); else the
// picture itself.
QPixmap ResPicture(const QString &path, qreal devicePixelRatio);
