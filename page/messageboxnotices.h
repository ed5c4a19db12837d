#pragma once

#include "page/notices.h"

// The notices as modal message boxes with an OK button; returns when the user closes the box.
class MessageBoxNotices : public Notices
{
public:
    void Show(QWidget *owner,
              const QString &text,
              const QString &caption,
              QMessageBox::Icon icon) override;
};
