#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

// Fits texts into the fixed rectangles of their controls: where one does not fit at the
// page's size, its control alone gets the largest half-point size at which all its texts do,
// so that no text is ever cut.
class TextFitter
{
public:
    // The combo box draws its entry this far inside its field on either side.
    static constexpr int ComboTextMargin = 2;
    // A cell's text starts this far inside a progress bar's cell, with the same on the right.
    static constexpr int CellTextInsets = 10;

    // The width a control leaves for one line of its text, in pixels; index is the header's
    // section or the list's column.
    static int TextRoom(QWidget *control, int index, const QString &text);
    // Each control with the lines it must show whole, tried from largest down to smallest
    // points; a control none of whose sizes fits keeps the smallest.
    static void
    Fit(const QList<QPair<QWidget *, QStringList>> &texts, qreal largest, qreal smallest);
};
