#pragma once

#include "controls/cellinfo.h"

// The parent of a CCellListCtrl: answers, synchronously, what one cell shows. The record comes
// reset and filled with row, column, selected, hot and imageList; the provider fills the text,
// colours, image and progress fields. The record belongs to the list and is valid only during
// the call.
class CellInfoProvider
{
public:
    virtual ~CellInfoProvider() = default;
    virtual void GetCellInfo(CellInfo &info) = 0;
};
