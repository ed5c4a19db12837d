#include "page/messageboxnotices.h"

void MessageBoxNotices::Show(QWidget *owner,
                             const QString &text,
                             const QString &caption,
                             QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}
