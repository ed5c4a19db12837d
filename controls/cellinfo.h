#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QtGlobal>

// Colours as the list stores them: 0x00BBGGRR, with two special values.
using ColorRef = quint32;
inline constexpr ColorRef CLR_DEFAULT = 0xFF000000u; // the palette colour the field names
inline constexpr ColorRef CLR_NONE = 0xFFFFFFFFu;    // paint nothing

constexpr ColorRef Rgb(int r, int g, int b)
{
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
// The colour of a value that is neither CLR_DEFAULT nor CLR_NONE.
QColor ToQColor(ColorRef color);

// The record with which the job list asks its parent for one cell: the list fills row, column,
// selected, hot and imageList after a reset; the parent fills the rest.
struct CellInfo
{
    QString text;
    quint8 noHighlight = 0;
    int imageIndex = -1;
    const QList<QPixmap> *imageList = nullptr;
    quint8 imagePlainBack = 1;
    quint8 imageCentered = 0;
    int imageSelectedStyle = 4; // 4: blend 25 % with the selection colour; 0: plain
    int progressMax = -1;       // above 0: the cell has a bar
    int progressPos = 0;
    ColorRef progressColor = CLR_DEFAULT;
    ColorRef progressTextColor = CLR_DEFAULT;
    int progressEdge = 10; // 10: sunken border; 0: none
    ColorRef textColor = CLR_DEFAULT;
    ColorRef backColor = CLR_DEFAULT;
    ColorRef hotTextColor = CLR_DEFAULT;
    ColorRef selectedTextColor = CLR_DEFAULT;
    ColorRef selectedBackColor = CLR_DEFAULT;
    ColorRef selectedBackColorNoFocus = CLR_DEFAULT;
    int row = 0;
    int column = 0;
    quint8 selected = 0;
    quint8 hot = 0;
    QString toolTip; // shown when the mouse rests on the cell; empty: none

    void Reset() { *this = CellInfo(); }
};
